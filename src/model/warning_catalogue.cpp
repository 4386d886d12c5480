#include "model/warning_catalogue.h"

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
    WarningInfo{
        Warning::kTunnelBackwards, "tunnel-backwards",
        "a tunnel's end is not after its start, or both round to one cell boundary, so it makes "
        "no tunnel"},
    WarningInfo{Warning::kTunnelType, "tunnel-type",
                "a tunnel's type is not one of 1 to 3, or one starting close after the tunnel "
                "before it is stored as type 3"},
    WarningInfo{Warning::kBeyondRouteEnd, "beyond-route-end",
                "a row lies beyond the route's end, in the run-out, or a station, slowdown or "
                "tunnel runs past it"},
    WarningInfo{Warning::kTextCutAtComma, "text-cut-at-comma",
                "a name or board text is cut at a comma"},
    WarningInfo{Warning::kTimeRange, "time-range",
                "an hour, minute or second of the clock or a station is out of range"},
    WarningInfo{Warning::kTimeBackwards, "time-backwards",
                "a station's time is earlier than the station's before it"},
    WarningInfo{Warning::kUtf8Input, "utf8-input", "a file read as Windows-1252 looks like UTF-8"},
    WarningInfo{Warning::kOutOfOrder, "out-of-order",
                "a row comes after one further along the route, so it does not apply from its "
                "own position"},
    WarningInfo{Warning::kMisleadingKeyword, "misleading-keyword",
                "a keyword reads other than it looks: a curve's side or class, a repetition "
                "code, two row kinds in one field, a hyphen that switches the row off"},
    WarningInfo{Warning::kLengthNotPositive, "length-not-positive",
                "a curve, slowdown or station has a length of zero or less"},
    WarningInfo{Warning::kImplausibleValue, "implausible-value",
                "a value the files can hold but no train could mean"},
    WarningInfo{Warning::kBoardSpeed, "board-speed",
                "a speed board without stripes does not show the train's speed limit where it "
                "stands"},
    WarningInfo{Warning::kStartsLate, "starts-late",
                "the first speed limit or adhesion row stands after 0 m, or the train file holds "
                "no row, so the cells before it get 0"},
    WarningInfo{Warning::kObjectReplaced, "object-replaced",
                "a station's stop takes the cell of a board, a signal or a code-change point, "
                "which is lost"},
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
