#pragma once

#include <cstdint>
#include <string>

#include "model/model.h"

namespace sc {

// One line of text, in words, for each record of the binary files; texts from
// the files are converted to UTF-8.

// "cell 7 at 350 m: speed board ...; limit 80 km/h, gradient +2 ‰, adhesion 100"
std::string describe_cell(const Cell& cell, int32_t index);
// "entry 3: station 3 "TOLMERA": ..." with the entry's role and fields.
std::string describe_entry(const ScenarioTable& table, int index);
// "point 100 m: x 0.000 m, y 100.000 m"
std::string describe_point(const Profile& profile, int32_t m);

// Gradient in per mille of a cell's gradient byte.
int gradient_per_mille(uint8_t gradient);

}  // namespace sc
