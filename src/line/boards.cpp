#include "line/boards.h"

#include <utility>

#include "model/object_rules.h"
#include "textio/fault.h"
#include "textio/narrow.h"

namespace sc {
namespace {

int16_t fit_16_bits(int64_t value, const char* what, SourceLocation where) {
  return fit<int16_t>(value, std::string("a speed board's ") + what, where);
}

// A value that does not fit is blamed on the left speed, which weighs most.
int16_t fitted_speeds(int32_t left, int32_t right, const char* what, SourceLocation left_at) {
  return fit_16_bits(packed_speeds(left, right), what, left_at);
}

// Each part must fit 16 bits, and so must 10 x strisces.
int16_t fitted_stripes(const SpeedBoardRow& board) {
  const int16_t left = fit_16_bits(board.strisces, "strisces", board.strisces_at);
  const int16_t right = fit_16_bits(board.strisced, "strisced", board.strisced_at);
  fit_16_bits(packed_stripes(left, 0), "10 x strisces", board.strisces_at);
  return fit_16_bits(packed_stripes(left, right), "stripe value", board.strisced_at);
}

}  // namespace

int64_t board_cell(int32_t position) {
  return object_cell(position);
}

bool memo_indicatori_v_max(Scenario& model, const SpeedBoardRow& board) {
  Cell& cell = cell_at(model, board_cell(board.posizione), board.posizione_at);
  if (!is_free(cell)) return false;
  const int16_t first = fitted_speeds(board.vas, board.vad, "first packed speed", board.vas_at);
  const int16_t second = fitted_speeds(board.vbs, board.vbd, "second packed speed", board.vbs_at);
  const int16_t third = fitted_speeds(board.vcs, board.vcd, "third packed speed", board.vcs_at);
  const int16_t stripes = fitted_stripes(board);
  cell.type_code = cell_type::kSpeedBoard;
  cell.*cell_slot::kBoardSpeeds[0] = first;
  cell.*cell_slot::kBoardSpeeds[1] = second;
  cell.*cell_slot::kBoardSpeeds[2] = third;
  cell.*cell_slot::kBoardStripes = stripes;
  return true;
}

TextBoardPlacement place_text_board(Scenario& model, int& board_cursor, int32_t position,
                                    SourceLocation position_at, std::string text) {
  if (board_cursor < entry::kFirstStation) return TextBoardPlacement::kNoEntryLeft;
  Cell& cell = cell_at(model, board_cell(position), position_at);
  if (!is_free(cell)) return TextBoardPlacement::kCellTaken;
  TableEntry& board_entry = entry_at(model, board_cursor);
  cell.type_code = cell_type::kTextBoard;
  cell.*cell_slot::kTextEntry = static_cast<int16_t>(board_cursor);
  board_entry.text = std::move(text);
  --board_cursor;
  return TextBoardPlacement::kPlaced;
}

}  // namespace sc
