#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace sc {

// One line of text, in words, for each record of the binary files; texts from
// the files are converted to UTF-8.

// Cell `index` of `cells` (a signal is read with its approach marks):
// "cell 7 at 350 m: speed board ...; limit 80 km/h, gradient +2 ‰, adhesion 100"
std::string describe_cell(const std::vector<Cell>& cells, int32_t index);
// "entry 3: station 3 "TOLMERA": ..." with the entry's role and fields.
std::string describe_entry(const ScenarioTable& table, int index);

// The lines of cells first to last, or of entries first to last. A run of
// empty cells that carry the same values takes one line ("cells 8–20 from
// 400 m to 1050 m: empty; ..."), and so does a run of empty entries
// ("entries 9–80: empty").
std::vector<std::string> describe_cells(const std::vector<Cell>& cells, int32_t first,
                                        int32_t last);
std::vector<std::string> describe_entries(const ScenarioTable& table, int first, int last);
// "point 100 m: x 0.000 m, y 100.000 m"
std::string describe_point(const Profile& profile, int32_t m);

}  // namespace sc
