#pragma once

#include <span>
#include <string_view>

namespace sc {

// Everything `check` warns about: what compiles without an error but an
// author would rarely mean.
enum class Warning {
  kUnknownKeyword,
  kCommentMarker,
  kTooFewValues,
  kTooManyValues,
  kOffGrid,
  kValueWraps,
  kTunnelBackwards,
  kTunnelType,
  kBeyondRouteEnd,
  kTextCutAtComma,
  kTimeRange,
  kTimeBackwards,
  kUtf8Input,
  kOutOfOrder,
  kMisleadingKeyword,
  kLengthNotPositive,
  kImplausibleValue,
  kBoardSpeed,
  kStartsLate,
  kObjectReplaced,
};

// The name is what `-Wno-NAME` turns off and what `[name]` shows.
struct WarningInfo {
  Warning code;
  std::string_view name;
  std::string_view summary;
};

std::span<const WarningInfo> warning_catalogue();
const WarningInfo& warning_info(Warning code);
// nullptr for a name that no warning has.
const WarningInfo* find_warning(std::string_view name);

}  // namespace sc
