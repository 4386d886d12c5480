#pragma once

#include "model/flow.h"
#include "train/train_pass.h"

namespace sc {

// A station row: the station's table entry, its stop cell and approach marks.
template <>
Flow read_row<RowKind::kStation>(TrainPass& pass, RowValues& row);

}  // namespace sc
