#include "check/warning_catalogue.h"

#include <algorithm>
#include <array>

namespace sc {
namespace {

constexpr std::array kCatalogue{
    WarningInfo{Warning::kUnknownKeyword, "unknown-keyword",
                "a row's keyword matches no row kind, so the row is ignored"},
    WarningInfo{Warning::kCommentMarker, "comment-marker",
                "text that looks like a comment marker stands before a keyword that still applies"},
    WarningInfo{Warning::kTooFewValues, "too-few-values",
                "a row has fewer values on its line than its kind takes"},
    WarningInfo{Warning::kTooManyValues, "too-many-values",
                "a row has more values on its line than its kind takes"},
    WarningInfo{Warning::kOffGrid, "off-grid",
                "a position or length is not a multiple of 50 m and is rounded"},
    WarningInfo{Warning::kValueWraps, "value-wraps",
                "a value does not fit the byte or integer that stores it"},
    WarningInfo{Warning::kTunnelBackwards, "tunnel-backwards",
                "a tunnel's end is not after its start, so it makes no tunnel"},
    WarningInfo{Warning::kTunnelType, "tunnel-type", "a tunnel's type is not one of 1 to 3"},
    WarningInfo{Warning::kBeyondRouteEnd, "beyond-route-end",
                "a row lies beyond the route's end, in the run-out"},
    WarningInfo{Warning::kTextCutAtComma, "text-cut-at-comma",
                "a name or board text is cut at a comma"},
    WarningInfo{Warning::kTimeRange, "time-range",
                "an hour, minute or second of the clock or a station is out of range"},
    WarningInfo{Warning::kTimeBackwards, "time-backwards",
                "a station's time is earlier than the station's before it"},
    WarningInfo{Warning::kUtf8Input, "utf8-input", "a file read as Windows-1252 looks like UTF-8"},
};

}  // namespace

std::span<const WarningInfo> warning_catalogue() {
  return kCatalogue;
}

const WarningInfo& warning_info(Warning code) {
  return *std::find_if(kCatalogue.begin(), kCatalogue.end(),
                       [code](const WarningInfo& info) { return info.code == code; });
}

const WarningInfo* find_warning(std::string_view name) {
  const auto* found = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                   [name](const WarningInfo& info) { return info.name == name; });
  return found == kCatalogue.end() ? nullptr : found;
}

}  // namespace sc
