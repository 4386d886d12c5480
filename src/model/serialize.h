#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace sc {

// Little-endian, no padding, no header: the byte forms the simulator reads.
void append_cell(std::string& out, const Cell& cell);            // 15 bytes
void append_table_entry(std::string& out, const TableEntry& e);  // 34 + text bytes

std::string serialize_cells(const std::vector<Cell>& cells);
std::string serialize_table(const ScenarioTable& table);
// Receives a file's bytes piece by piece, in order.
using ByteSink = std::function<void(std::string_view)>;

// All x values for m = 0 to P, then all y values, each a 16-bit tag and its
// value, handed to `sink` in pieces of at most 64 KiB: a long route's profile
// never has to be held whole in memory.
void write_profile(const Profile& profile, const ByteSink& sink);
std::string serialize_profile(const Profile& profile);

}  // namespace sc
