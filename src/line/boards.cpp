#include "line/boards.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "textio/fault.h"
#include "textio/rounding.h"

namespace sc {
namespace {

constexpr int32_t kMarkedTypeOffset = 10;
constexpr int64_t kCloseTunnelGap = 150;
constexpr uint8_t kCloseTunnelType = 3;
constexpr int64_t kMarkerEvery = 4;

int16_t fit_16_bits(int64_t value, const char* what) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
    throw Fault(std::string("a speed board's ") + what + " " + std::to_string(value) +
                " does not fit a 16-bit Integer (-32768 to 32767)");
  }
  return static_cast<int16_t>(value);
}

// 20 x the left speed + the right speed / 5, rounded.
int16_t packed_speeds(int32_t left, int32_t right, const char* what) {
  return fit_16_bits(round_half_even(right / 5.0 + 20.0 * left), what);
}

int16_t packed_stripes(int32_t left, int32_t right) {
  const int64_t tens = int64_t{fit_16_bits(left, "strisces")} * 10;
  return fit_16_bits(fit_16_bits(tens, "10 x strisces") + int64_t{fit_16_bits(right, "strisced")},
                     "stripe value");
}

}  // namespace

int64_t board_cell(int32_t position) {
  return cell_index(position, 1);
}

void memo_montagna(Scenario& model, TunnelList& tunnels, int32_t inizio, int32_t fine,
                   int32_t tipo) {
  int64_t type = tipo;
  const bool markers = tipo > kMarkedTypeOffset;
  if (markers) type -= kMarkedTypeOffset;
  if (tunnels.previous_end && int64_t{inizio} - *tunnels.previous_end <= kCloseTunnelGap) {
    type = kCloseTunnelType;
  }
  tunnels.previous_end = fine;

  const int64_t first = cell_index(inizio);
  const int64_t last = std::min<int64_t>(cell_index(fine) - 1, model.last_cell());
  for (int64_t i = first; i <= last; ++i) {
    Cell& cell = cell_at(model, i);
    cell.tunnel_type = static_cast<uint8_t>(type & 0xFF);
    const bool marker_cell = (i - first + 1) % kMarkerEvery == 0;
    if (markers && marker_cell && cell.type_code == cell_type::kEmpty) {
      cell.type_code = cell_type::kTunnelMarker;
    }
  }
}

bool memo_indicatori_v_max(Scenario& model, const SpeedBoard& board) {
  Cell& cell = cell_at(model, board_cell(board.posizione));
  if (!is_free(cell)) return false;
  const int16_t info1 = packed_speeds(board.vas, board.vad, "first packed speed");
  const int16_t info2 = packed_speeds(board.vbs, board.vbd, "second packed speed");
  const int16_t info3 = packed_speeds(board.vcs, board.vcd, "third packed speed");
  const int16_t info4 = packed_stripes(board.strisces, board.strisced);
  cell.type_code = cell_type::kSpeedBoard;
  cell.info1 = info1;
  cell.info2 = info2;
  cell.info3 = info3;
  cell.info4 = info4;
  return true;
}

TextBoardPlacement place_text_board(Scenario& model, int& board_cursor, int32_t position,
                                    std::string text) {
  if (board_cursor < entry::kFirstStation) return TextBoardPlacement::kNoEntryLeft;
  Cell& cell = cell_at(model, board_cell(position));
  if (!is_free(cell)) return TextBoardPlacement::kCellTaken;
  TableEntry& board_entry = entry_at(model, board_cursor);
  cell.type_code = cell_type::kTextBoard;
  cell.info1 = static_cast<int16_t>(board_cursor);
  board_entry.text = std::move(text);
  --board_cursor;
  return TextBoardPlacement::kPlaced;
}

}  // namespace sc
