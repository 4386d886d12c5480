#pragma once

#include "model/flow.h"
#include "train/train_pass.h"

namespace sc {

// A "stazione" row: the station's table entry, its stop cell and approach
// marks.
Flow read_station_row(TrainPass& pass);

}  // namespace sc
