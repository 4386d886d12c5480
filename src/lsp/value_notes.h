#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "format/row_kinds.h"

namespace sc::lsp {

// What the editor features tell of each value beyond the row kinds' table:
// the cell a position lands in and what the compile makes of it (the unit
// and width come from the table).

// How a position value turns into a cell: not at all, position / 50 rounded,
// or (position / 50) + 1 rounded.
enum class Grid { kNone, kCell, kCellPlusOne };

struct ValueNote {
  Grid grid = Grid::kNone;
  std::string_view stores;   // what the compile does with it
  std::string_view example;  // what a new row's snippet holds
};

// One note for each of `kind`'s values in the table, in the same order.
std::span<const ValueNote> value_notes(RowKind kind);

// The lowest and highest values a width accepts.
std::pair<int64_t, int64_t> accepted_range(ValueWidth width);

}  // namespace sc::lsp
