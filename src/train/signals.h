#pragma once

#include "model/flow.h"
#include "train/train_pass.h"

namespace sc {

// A signal row: the signal's cell and approach marks.
template <>
Flow read_row<RowKind::kSignal>(TrainPass& pass, RowValues& row);
// A slowdown row: the slowdown's end, start and warning cells and its
// countdown.
template <>
Flow read_row<RowKind::kSlowdown>(TrainPass& pass, RowValues& row);
// An abbattimento row: a code-change point or a plain abbattimento point.
template <>
Flow read_row<RowKind::kAbbattimento>(TrainPass& pass, RowValues& row);

}  // namespace sc
