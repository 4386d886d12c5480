#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "format/row_writer.h"
#include "model/model.h"

namespace sc {

// Rows of a per-cell value that rows fill in file order, each row's value
// applying from its own cell to the cell before the next row's (gradients,
// speed limits, adhesion). `bytes` are the cells' stored bytes and `value_of`
// gives a row value that stores a byte. Cells after the fourth-last keep 0
// unless rows reach them; out-of-order rows at 50 m push the fill there.
std::vector<Row> fill_rows(std::string_view keyword, const std::vector<uint8_t>& bytes,
                           const std::function<int64_t(uint8_t)>& value_of);

// Tunnel rows giving every cell its tunnel type and a tunnel marker to every
// cell that holds one, and none to a cell that holds nothing.
std::vector<Row> tunnel_rows(const std::vector<Cell>& cells);

// Curve rows that bend the profile point by point as it stands, bit for bit.
// Throws DecompileError when a point is neither straight nor on an arc.
// Rows start no later than the position check lets a row of a route with
// `last_cell` stand.
std::vector<Row> curve_rows(const Profile& profile, int32_t last_cell);

// Three kilometre-reference rows that the ordering turns into entries 81 to
// 83 as they stand. Throws DecompileError when no order of them does.
std::vector<Row> reference_rows(const ScenarioTable& table);

}  // namespace sc
