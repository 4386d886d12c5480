#pragma once

#include "model/flow.h"
#include "train/train_pass.h"

namespace sc {

// A "segnale" row: the signal's cell and approach marks.
Flow read_signal_row(TrainPass& pass);
// A "rallentamento" row: the slowdown's end, start and warning cells and its
// countdown.
Flow read_slowdown_row(TrainPass& pass);
// An "abbattimento" row: a code-change point or a plain abbattimento point.
Flow read_abbattimento_row(TrainPass& pass);

}  // namespace sc
