#pragma once

#include <cstdint>

#include "model/model.h"
#include "textio/fault.h"

namespace sc {

// A per-cell value that rows set in file order (gradient, speed limit,
// adhesion): the value of a row applies from its own cell up to the cell
// before the next row's, and the last row's runs on to the tail's last cell,
// kUnfilledCells before the end.
constexpr int64_t kUnfilledCells = 3;
inline int64_t last_tail_cell(int64_t last_cell) {
  return last_cell - kUnfilledCells;
}

struct CellFill {
  int64_t cursor = 0;          // first cell not yet filled
  int32_t previous = 0;        // the value of the last row read
  SourceLocation previous_at;  // where that value stands
};

// What a fill does when rows would take its cursor past the last cell.
enum class PastLastCell {
  kFault,  // gradients: the cell outside the route is a fault (error 25)
  kStop,   // speed and adhesion: the fill stops at the last cell
};

// Fills the previous row's value up to the cell before `next_cell`. A row at
// or behind the cursor still fills the one cell at the cursor; a row in cell 0
// or before fills nothing. `next_at` is the field `next_cell` comes from.
template <typename Store>
void fill_up_to(Scenario& model, CellFill& fill, int64_t next_cell, SourceLocation next_at,
                PastLastCell past_last, Store store) {
  if (next_cell <= 0) return;
  do {
    if (past_last == PastLastCell::kStop && fill.cursor >= model.last_cell()) return;
    store(cell_at(model, fill.cursor, next_at), fill.previous, fill.previous_at);
    ++fill.cursor;
  } while (fill.cursor < next_cell);
}

// After the last row: its value runs on to the tail's last cell, writing at
// least one cell.
template <typename Store>
void fill_tail(Scenario& model, CellFill& fill, Store store) {
  do {
    store(cell_at(model, fill.cursor), fill.previous, fill.previous_at);
    ++fill.cursor;
  } while (fill.cursor <= last_tail_cell(model.last_cell()));
}

}  // namespace sc
