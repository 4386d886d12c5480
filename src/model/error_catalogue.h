#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace sc {

// Every error the compilers, the post-pass and the driver can record or show.
// The value is the number reported to the user and kept in error_number.
enum class ErrorCode : int32_t {
  kRouteLength = 1,
  kKmReferenceGrid = 2,
  kRepetitionFirstValue = 3,
  kRepetitionSecondValue = 4,
  kRepetitionCode = 5,
  kTextBoardCellTaken = 6,
  kAbbattimentoCellTaken = 7,
  kStationPositionGrid = 8,
  kStationLengthGrid = 9,
  kTooManyStations = 10,
  kSignalBeforeWarningBlocked = 11,
  kWindowBeforeStartBlocked = 12,
  kSlowdownMarkBlocked = 13,
  kBeyondRoute = 15,
  kSignalCellTaken = 16,
  kWarningCellTaken = 17,
  kStartCellTaken = 18,
  kEndCellTaken = 19,
  kCountdownCellTaken = 20,
  kSpeedBoardCellTaken = 21,
  kStationsTooClose = 22,
  kStopCellTooLow = 24,
  kRunTimeFault = 25,
  kNoBoardEntry = 26,
  kNoLineFile = 101,
  kNoGeneralSection = 102,
  kCurve = 103,
  kFormatMarkerSlotTaken = 1250,
  kCheckCodeSlotTaken = 1251,
};

constexpr int32_t error_number(ErrorCode code) {
  return static_cast<int32_t>(code);
}

// Errors found once every row is read: the train file's end step (2) and the
// block post-pass (11 to 13). They name the row concerned but stop no file.
constexpr bool found_after_rows(ErrorCode code) {
  return code == ErrorCode::kKmReferenceGrid || code == ErrorCode::kSignalBeforeWarningBlocked ||
         code == ErrorCode::kWindowBeforeStartBlocked || code == ErrorCode::kSlowdownMarkBlocked;
}

// One entry of the catalogue: the number, a short name for diagnostics and
// tools (`[name]`, `explain`), and a one-line summary of the cause.
struct ErrorInfo {
  ErrorCode code;
  std::string_view name;
  std::string_view summary;

  constexpr int32_t number() const { return error_number(code); }
};

// All errors, in ascending order of number.
std::span<const ErrorInfo> error_catalogue();
const ErrorInfo& error_info(ErrorCode code);
// nullptr for a number that no error has.
const ErrorInfo* find_error(int32_t number);

}  // namespace sc
