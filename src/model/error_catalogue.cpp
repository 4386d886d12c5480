#include "model/error_catalogue.h"

#include <algorithm>
#include <array>

namespace sc {
namespace {

constexpr std::array kCatalogue{
    ErrorInfo{ErrorCode::kRouteLength, "route-length",
              "the route length lies outside 0 to 1000000 m"},
    ErrorInfo{ErrorCode::kKmReferenceGrid, "km-reference-grid",
              "a kilometre reference is not on the 50 m grid"},
    ErrorInfo{ErrorCode::kRepetitionFirstValue, "repetition-first-value",
              "the first value of the signal-repetition row is not a multiple of 50"},
    ErrorInfo{ErrorCode::kRepetitionSecondValue, "repetition-second-value",
              "the second value of the signal-repetition row is not a multiple of 50"},
    ErrorInfo{ErrorCode::kRepetitionCode, "repetition-code",
              "the signal-repetition row names neither code 4 nor code 9"},
    ErrorInfo{ErrorCode::kTextBoardCellTaken, "text-board-cell-taken",
              "a text board's cell already holds another object"},
    ErrorInfo{ErrorCode::kAbbattimentoCellTaken, "abbattimento-cell-taken",
              "an abbattimento point's cell already holds another object"},
    ErrorInfo{ErrorCode::kStationPositionGrid, "station-position-grid",
              "a station's position is not a multiple of 50 m"},
    ErrorInfo{ErrorCode::kStationLengthGrid, "station-length-grid",
              "a station's length is not a multiple of 100 m"},
    ErrorInfo{ErrorCode::kTooManyStations, "too-many-stations",
              "the stations have no table entry left"},
    ErrorInfo{ErrorCode::kSignalBeforeWarningBlocked, "signal-before-warning-blocked",
              "a signal before a slowdown warning has no cell left for its code change"},
    ErrorInfo{ErrorCode::kWindowBeforeStartBlocked, "window-before-start-blocked",
              "a window before a slowdown start has no free cell"},
    ErrorInfo{ErrorCode::kSlowdownMarkBlocked, "slowdown-mark-blocked",
              "a mark along a slowdown or before the signal after it finds no free cell"},
    ErrorInfo{ErrorCode::kBeyondRoute, "beyond-route",
              "a row lies too close to or beyond the end of the route"},
    ErrorInfo{ErrorCode::kSignalCellTaken, "signal-cell-taken",
              "a signal's cell already holds another object"},
    ErrorInfo{ErrorCode::kWarningCellTaken, "warning-cell-taken",
              "a slowdown's warning cell already holds another object"},
    ErrorInfo{ErrorCode::kStartCellTaken, "start-cell-taken",
              "a slowdown's start cell already holds another object"},
    ErrorInfo{ErrorCode::kEndCellTaken, "end-cell-taken",
              "a slowdown's end cell already holds another object or lies beyond the route"},
    ErrorInfo{ErrorCode::kCountdownCellTaken, "countdown-cell-taken",
              "one of a slowdown's countdown cells already holds another object"},
    ErrorInfo{ErrorCode::kSpeedBoardCellTaken, "speed-board-cell-taken",
              "a speed-limit board's cell already holds another object"},
    ErrorInfo{ErrorCode::kStationsTooClose, "stations-too-close",
              "a station starts less than 350 m after the end of the one before"},
    ErrorInfo{ErrorCode::kStopCellTooLow, "stop-cell-too-low",
              "a station's stop cell would lie at cell 1 or below"},
    ErrorInfo{ErrorCode::kRunTimeFault, "bad-value",
              "a value could not be read or does not fit where it goes"},
    ErrorInfo{ErrorCode::kNoBoardEntry, "no-board-entry",
              "the text boards have no table entry left"},
    ErrorInfo{ErrorCode::kNoLineFile, "no-line-file", "the line text file does not exist"},
    ErrorInfo{ErrorCode::kNoGeneralSection, "no-general-section",
              "the line file has no \"[generale]\" line"},
    ErrorInfo{ErrorCode::kCurve, "curve",
              "a curve row names no radius class, or the profile passes 1000000 m"},
    ErrorInfo{ErrorCode::kFormatMarkerSlotTaken, "format-marker-slot-taken",
              "a slot for the format markers is already taken"},
    ErrorInfo{ErrorCode::kCheckCodeSlotTaken, "check-code-slot-taken",
              "a slot for the check codes is already taken"},
};

constexpr bool ascending() {
  for (size_t i = 1; i < kCatalogue.size(); ++i) {
    if (kCatalogue[i - 1].number() >= kCatalogue[i].number()) return false;
  }
  return true;
}
static_assert(ascending(), "the catalogue is kept in ascending order of number");

}  // namespace

std::span<const ErrorInfo> error_catalogue() {
  return kCatalogue;
}

const ErrorInfo* find_error(int32_t number) {
  const auto it = std::lower_bound(
      kCatalogue.begin(), kCatalogue.end(), number,
      [](const ErrorInfo& info, int32_t wanted) { return info.number() < wanted; });
  if (it == kCatalogue.end() || it->number() != number) return nullptr;
  return &*it;
}

const ErrorInfo& error_info(ErrorCode code) {
  return *find_error(error_number(code));
}

}  // namespace sc
