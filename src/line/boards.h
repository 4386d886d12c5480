#pragma once

#include <cstdint>
#include <string>

#include "model/model.h"
#include "textio/fault.h"

namespace sc {

// A speed-limit board row as read, before its values are packed into a cell.
struct SpeedBoardRow {
  int32_t posizione = 0;
  int32_t vas = 0;
  int32_t vbs = 0;
  int32_t vcs = 0;
  int32_t strisces = 0;
  int32_t vad = 0;
  int32_t vbd = 0;
  int32_t vcd = 0;
  int32_t strisced = 0;
  // Where the values a fault can be blamed on stand.
  SourceLocation posizione_at, vas_at, vbs_at, vcs_at, strisces_at, strisced_at;
};

// Places a speed-limit board in the board cell of its position. Returns false,
// writing nothing, when that cell is not free (error 21). Throws Fault when a
// packed value does not fit 16 bits.
bool memo_indicatori_v_max(Scenario& model, const SpeedBoardRow& board);

enum class TextBoardPlacement {
  kPlaced,
  kNoEntryLeft,  // error 26: all 80 board entries are taken
  kCellTaken,    // error 6
};

// Places a text board in the board cell of `position` and its text in the
// entry `board_cursor`, which then moves down by one.
TextBoardPlacement place_text_board(Scenario& model, int& board_cursor, int32_t position,
                                    SourceLocation position_at, std::string text);

// The cell a board at `position` stands in.
int64_t board_cell(int32_t position);

}  // namespace sc
