#include "train/train_pass.h"

#include "textio/rounding.h"

namespace sc {
namespace {

std::string occupant(uint8_t type_code) {
  switch (type_code) {
    case cell_type::kSignal:
      return "a signal";
    case cell_type::kSlowdownEnd:
      return "the end of a slowdown";
    case cell_type::kSlowdownStart:
      return "the start of a slowdown";
    case cell_type::kSlowdownWarning:
      return "the warning of a slowdown";
    case cell_type::kCountdown:
      return "a slowdown countdown mark";
    case cell_type::kSpeedBoard:
      return "a speed-limit board";
    case cell_type::kStationStop:
      return "a station stop";
    case cell_type::kCodeChange:
      return "a code-change point";
    case cell_type::kAbbattimento:
      return "an abbattimento point";
    case cell_type::kTextBoard:
      return "a text board";
    default:
      return "an object of type " + std::to_string(type_code);
  }
}

}  // namespace

bool position_accepted(TrainPass& pass, int32_t position, int32_t margin,
                       SourceLocation position_location, std::string_view row_kind) {
  if (!pass.model.has_cells()) {
    throw Fault("a " + std::string(row_kind) +
                    " row needs the cells of the route, but the line file gave no route length",
                position_location);
  }
  const int32_t last = pass.model.last_cell();
  if (position_fits(position, margin, last)) return true;
  pass.errors.record_at(ErrorCode::kBeyondRoute, position, Source::kTrainFile, position_location,
                        "position " + std::to_string(position) +
                            " lies beyond the route: the last cell is " + std::to_string(last) +
                            ", so the last position a " + std::string(row_kind) +
                            " row may have is " + std::to_string(50 * int64_t{last} - margin));
  return false;
}

std::string cell_taken(int64_t index, const Cell& cell) {
  return "cell " + std::to_string(index) + " already holds " + occupant(cell.type_code);
}

}  // namespace sc
