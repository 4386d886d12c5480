#include "check/row_checks.h"

#include <algorithm>
#include <array>
#include <string>

#include "check/order_checks.h"
#include "check/value_checks.h"
#include "line/header_values.h"
#include "line/route_profile.h"
#include "model/cell_geometry.h"
#include "model/format_rules.h"
#include "model/object_rules.h"
#include "textio/keywords.h"

namespace sc {
namespace {

constexpr int64_t kHighestTunnelType = 3;

// The row's position (its first value) on the 50 m grid, where the compile
// puts it, and on the route.
void check_position(LintContext& context, std::string_view what, const LintRow& row,
                    GridCell cell) {
  check_grid(context, what, row[0], row.field(0), cell);
  check_on_route(context, what, row[0], row.at(0));
}

// --- the line file ---

void check_route_length(LintContext& context, const LintRow& row) {
  if (row[0] >= 0 && row[0] <= kLongestRoute) context.route_length = row[0];
}

// The code is the first of 4 and 9 the keyword holds.
void check_repetition(LintContext& context, const LintRow& row) {
  const std::string_view keyword = row.record.keyword.text;
  if (!contains(keyword, "4") || !contains(keyword, "9")) return;
  context.warn(Warning::kMisleadingKeyword, trimmed_span(row.record.keyword),
               sc::quoted(trimmed_field(keyword)) + " holds both 4 and 9: the repetition code is " +
                   std::to_string(repetition_code(keyword).value_or(0)) +
                   ", since the compile looks for a 4 first; write one of them");
}

void check_gradient(LintContext& context, const LintRow& row) {
  check_position(context, "the gradient's position", row, GridCell::kOwn);
  check_fill_order(context, context.gradients, row);
  check_fits(context, "gradient", row[1], row.at(1), -kGradientBias, 255 - kGradientBias,
             gradient_per_mille(gradient_byte(row[1])));
}

// The words an author may write for a side; only an "s" makes a left curve.
bool says_right(std::string_view keyword) {
  return contains_any_case(keyword, "destr") || contains_any_case(keyword, "dx") ||
         contains_any_case(keyword, "right");
}
bool says_left(std::string_view keyword) {
  return contains_any_case(keyword, "sinistr") || contains_any_case(keyword, "sx") ||
         contains_any_case(keyword, "left");
}

// Every word for a side holds a "t" or an "x", which most keywords lack.
bool may_name_a_side(std::string_view keyword) {
  return std::any_of(keyword.begin(), keyword.end(), [](char c) {
    const char lower = to_lower_1252(c);
    return lower == 't' || lower == 'x';
  });
}

void check_curve_side(LintContext& context, const RowRecord& row, CurveKeyword named) {
  const std::string_view keyword = row.keyword.text;
  if (!may_name_a_side(keyword)) return;
  const bool left = named.left;
  const bool misread = left ? says_right(keyword) && !says_left(keyword) : says_left(keyword);
  if (!misread) return;
  const std::string quoted_keyword = sc::quoted(std::string(trimmed_field(keyword)));
  const std::string meant = curve_keyword(CurveKeyword{named.class_digit, !left});
  Finding& finding =
      context.warn(Warning::kMisleadingKeyword, trimmed_span(row.keyword),
                   quoted_keyword + " makes a " + (left ? "left" : "right") +
                       " curve: a curve turns left when its keyword holds an \"s\" anywhere, in "
                       "either case, and right otherwise; write " +
                       sc::quoted(meant) + " for a " + (left ? "right" : "left") + " curve");
  finding.fixes.push_back({span_of_part(row.keyword, trimmed_field(keyword)), meant});
}

// "2, 5 and 0": each digit once, in the order written.
std::string digits_named(std::string_view digits) {
  std::string named;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0) named += i + 1 == digits.size() ? " and " : ", ";
    named += digits[i];
  }
  return named;
}

void check_curve_class(LintContext& context, const RowRecord& row, bool left, char decides) {
  std::string digits;
  for (const char c : row.keyword.text) {
    if (c >= '0' && c <= '9' && digits.find(c) == std::string::npos) digits += c;
  }
  if (digits.size() < 2) return;
  Finding& finding = context.warn(
      Warning::kMisleadingKeyword, trimmed_span(row.keyword),
      sc::quoted(std::string(trimmed_field(row.keyword.text))) + " holds the digits " +
          digits_named(digits) +
          ": the class is the first of 1 to 6 found, looking for 1 first, so this is "
          "class " +
          std::string(1, decides) + "; write one digit, the class, in a curve's keyword");
  finding.fixes.push_back({span_of_part(row.keyword, trimmed_field(row.keyword.text)),
                           curve_keyword(CurveKeyword{decides, left})});
}

void check_curve(LintContext& context, const LintRow& row) {
  check_on_route(context, "the curve's start", row[0], row.at(0));
  check_length(context, "curve", row[1], row.at(1),
               row[1] == 0 ? "bends the track at its start point alone" : "bends nothing");
  check_curve_order(context, row);
  if (const std::optional<CurveKeyword> named = curve_keyword(row.record.keyword.text)) {
    check_curve_side(context, row.record, *named);
    check_curve_class(context, row.record, named->left, named->class_digit);
  }
}

// Cells past the run-out do not exist: the compile cuts the tunnel at the last.
void check_tunnel_cut(LintContext& context, const LintRow& row) {
  if (!context.route_length) return;
  const int64_t last_cell = cell_index(*context.route_length + kRunOut);
  if (tunnel_cells(row[0], row[1]).last <= last_cell) return;
  context.warn(Warning::kBeyondRouteEnd, row.at(1),
               "the tunnel's end at " + std::to_string(row[1]) +
                   " m lies beyond the route's end at " + std::to_string(*context.route_length) +
                   " m and past the run-out after it: the compile cuts the tunnel at " +
                   std::to_string(tunnel_end(last_cell)) + " m, where the cells end");
}

// A tunnel that starts close after the previous row's end is stored as the
// close tunnels' type, whatever its row says.
void check_close_tunnel(LintContext& context, const LintRow& row, int64_t type) {
  const auto& previous = context.previous_tunnel_end;
  // An overlap is no gap at all: only a tunnel after the previous end is told.
  if (!previous || type == kCloseTunnelType || row[0] < previous->metres ||
      !close_tunnel(row[0], previous->metres)) {
    return;
  }
  Finding& finding = context.warn(
      Warning::kTunnelType, row.at(2),
      "this tunnel of type " + std::to_string(type) + " is stored as type " +
          std::to_string(kCloseTunnelType) + ": it starts at " + metres(row[0]) +
          ", no more than " + metres(kCloseTunnelGap) +
          " after the end of the tunnel row before it, at " + metres(previous->metres) +
          ", and a tunnel that close is always of type " + std::to_string(kCloseTunnelType) +
          "; leave more than " + metres(kCloseTunnelGap) +
          " between the two, or write the type the compile gives it");
  finding.notes.push_back({"the tunnel before it ends here", context.source(), previous->at});
}

// Start and end in one cell: the tunnel covers no cell, and none is written.
void check_tunnel_covers_a_cell(LintContext& context, const LintRow& row) {
  const TunnelCells cells = tunnel_cells(row[0], row[1]);
  if (row[1] <= row[0] || cells.first <= cells.last) return;
  std::string message = "the tunnel from " + metres(row[0]) + " to " + metres(row[1]) +
                        " covers no cell: both ends round to the same cell boundary, " +
                        metres(tunnel_start(cells.first)) + ", so no tunnel is written";
  if (row[1] < 1000) message += "; positions are in metres, not kilometres";
  context.warn(Warning::kTunnelBackwards, row.at(1), std::move(message));
}

void check_tunnel(LintContext& context, const LintRow& row) {
  check_grid(context, "the tunnel's start", row[0], row.field(0), GridCell::kOwn);
  check_grid(context, "the tunnel's end", row[1], row.field(1), GridCell::kOwn);
  check_on_route(context, "the tunnel's start", row[0], row.at(0));
  check_tunnel_cut(context, row);
  if (row[1] <= row[0]) {
    context.warn(Warning::kTunnelBackwards, row.at(1),
                 "the tunnel ends at " + std::to_string(row[1]) + " m, not after its start at " +
                     std::to_string(row[0]) +
                     " m, so it makes no tunnel; give the start first, then the end");
  }
  check_tunnel_covers_a_cell(context, row);
  const int64_t type = tunnel_kind(row[2]).type;
  if (type < 1 || type > kHighestTunnelType) {
    context.warn(Warning::kTunnelType, row.at(2),
                 "tunnel type " + std::to_string(row[2]) +
                     " is unknown: the types are 1 to 3, or 11 to 13 for the same types with "
                     "tunnel markers");
  } else {
    check_close_tunnel(context, row, type);
  }
  context.previous_tunnel_end = LintContext::TunnelEnd{row[1], row.field(1).at};
}

// Values 0 to 4 as they stand in the row: posizione, vas, vbs, vcs, strisces.
// A board with stripes announces a limit further on.
void check_speed_board(LintContext& context, const LintRow& row) {
  check_position(context, "the speed board's position", row, GridCell::kObject);
  if (row[4] == 0) context.limit_boards.push_back({row[0], {row[1], row[2], row[3]}, row.at(0)});
}

void check_text_board(LintContext& context, const LintRow& row) {
  check_position(context, "the text board's position", row, GridCell::kObject);
}

// --- the train file ---

void check_braked_mass(LintContext& context, const LintRow& row) {
  if (row[0] >= 0) return;
  context.warn(Warning::kImplausibleValue, row.at(0),
               "a braked-mass percentage of " + std::to_string(row[0]) +
                   " is stored as it stands, but no train brakes with a negative mass: give the "
                   "braked mass as a percentage of the train's mass, such as 125");
}

void check_cars(LintContext& context, const LintRow& row) {
  if (row[0] >= 0) return;
  context.warn(Warning::kImplausibleValue, row.at(0),
               std::to_string(row[0]) +
                   " cars are stored as they stand, but no train has fewer than none: give the "
                   "number of cars, such as 8");
}

void check_speed(LintContext& context, const LintRow& row) {
  check_position(context, "the speed limit's position", row, GridCell::kOwn);
  check_fill_start(context, context.speeds, row);
  check_fill_order(context, context.speeds, row);
  if (row.record.ending != RowEnd::kRead) return;
  context.limit_rows.push_back(
      {static_cast<int32_t>(row[0]), static_cast<int32_t>(row[1]), row.field(1).at});
}

void check_adhesion(LintContext& context, const LintRow& row) {
  check_position(context, "the adhesion's position", row, GridCell::kOwn);
  check_fill_start(context, context.adhesions, row);
  check_fill_order(context, context.adhesions, row);
  check_fits(context, "adhesion", row[1], row.at(1), 0, 255, static_cast<uint8_t>(row[1]));
}

void check_clock(LintContext& context, const LintRow& row) {
  check_time_of_day(context, "the clock", row, 0);
}

// Values 0 to 10 as they stand in the row: posizione, sx, s1, s2, s3, rapp,
// dx, d1, d2, d3, tempo.
void check_signal(LintContext& context, const LintRow& row) {
  check_position(context, "the signal's position", row, GridCell::kObject);
  const int64_t sx = row[1];
  const int64_t dx = row[6];
  check_fits_16(context, "the signal's rapp x 10 + sx x 3 + dx, which is",
                signal_info4(row[5], sx, dx), row.at(5));
  for (size_t k = 0; k < 3; ++k) {
    check_fits_16(context, "the signal's aspect value s x 10 + d, which is",
                  signal_pair(row[2 + k], row[7 + k]), row.at(2 + k));
  }
  const int64_t code = signal_mark_code(sx, dx);
  check_fits(context, "the signal's approach-mark code (sx x 3 + dx) x 10 + 4, which is",
             approach_mark_value(code, kApproachMarks), row.at(1), 0, 255,
             approach_mark(code, kApproachMarks));
  if (sx != kTimedSx) return;
  const int64_t tempo = stored_signal_time(row[10]);
  check_fits(context, "the signal's time", tempo, row.at(10), 0, 255, static_cast<uint8_t>(tempo));
}

// A slowdown's start and end cells: an end in the start's own cell leaves the
// start alone, and one before it ends the slowdown before it starts. Only
// while the start stands does its length matter.
void check_slowdown_cells(LintContext& context, const LintRow& row) {
  const SlowdownCells cells = slowdown_cells(row[0], row[2]);
  if (cells.end > cells.start) return;
  const std::string where =
      cells.end == cells.start
          ? "ends in its own start cell, which keeps only the start: no end cell of its own "
            "follows it, and the next end cell along the route is another slowdown's, if any"
          : "ends " + std::to_string((cells.start - cells.end) * kCellMetres) +
                " m before it starts: its end cell stands before its start cell";
  context.warn_while_cell_stands(cells.start, Warning::kLengthNotPositive, row.at(2),
                                 "the slowdown at " + std::to_string(row[0]) +
                                     " m with a length of " + std::to_string(row[2]) + " m " +
                                     where + "; give its length in metres, 50 or more");
}

// x, v, l, f_tt, f_ta, d_v
void check_slowdown(LintContext& context, const LintRow& row) {
  check_grid(context, "the slowdown's start", row[0], row.field(0), GridCell::kObject);
  check_grid(context, "the slowdown's end (start + length)", row[0] + row[2], row.field(2),
             GridCell::kObject);
  check_on_route(context, "the slowdown's start", row[0], row.at(0));
  if (row[0] <= context.route_length.value_or(row[0])) {
    check_end_on_route(context, "the slowdown", "its end", row[0] + row[2], row.at(2),
                       "the train leaves the route before the slowdown ends");
  }
  check_slowdown_cells(context, row);
  check_fits_16(context, "the slowdown's speed", row[1], row.at(1));
  check_fits_16(context, "the slowdown's f_tt", row[3], row.at(3));
  check_fits_16(context, "the slowdown's d_v", row[5], row.at(5));
}

void check_abbattimento(LintContext& context, const LintRow& row) {
  check_position(context, "the abbattimento point's position", row, GridCell::kOwn);
  if (row[1] > 0) check_fits_16(context, "the abbattimento code", row[1], row.at(1));
}

constexpr size_t kStationHours = 13;

// Values 0 to 2 as they stand in the row: position, type, length; value 5 is
// the end extension.
void check_station_extent(LintContext& context, const LintRow& row) {
  const StationExtent extent = station_extent(row[1], row[0], row[2], row[5] != 0);
  // A short station reaches 150 m past its position whatever its length.
  if (row[2] < 0 || !is_short_station(row[1])) {
    check_length(
        context, "station", row[2], row.at(2),
        "covers the metres " + std::to_string(extent.first) + " to " + std::to_string(extent.last));
  }
  if (row[0] > context.route_length.value_or(row[0])) return;
  check_end_on_route(context, "the station", "its last metre", extent.last, row.at(2),
                     station_stops(row[1]) ? "its train stops past the end"
                                           : "part of it lies where the train never runs");
}

// The time with its hour and minute swapped, as an author who wrote the
// minutes first would have meant, when that is a time of day.
std::optional<int64_t> swapped_time(const StationTime& time) {
  if (time.minutes > 23 || time.hours > 59) return std::nullopt;
  return time.seconds + (time.minutes - time.hours) * 3600 + (time.hours - time.minutes) * 60;
}

// A station whose time is later than the next station's while the one before
// it runs in order with that next one: the row in the middle breaks the order.
void warn_time_out_of_line(LintContext& context, const StationTime& before, const StationTime& odd,
                           const StationTime& next) {
  Finding& finding = context.warn(
      Warning::kTimeBackwards, odd.hours_at,
      "this station's time " + clock_text(odd.seconds) + " is later than the next station's, " +
          clock_text(next.seconds) + ", while the station before it has " +
          clock_text(before.seconds) +
          ": this row breaks the order of the times; a time is written hours, minutes, "
          "seconds");
  const std::optional<int64_t> swapped = swapped_time(odd);
  if (!swapped || *swapped < before.seconds || *swapped > next.seconds) return;
  finding.message += ", so did you mean " + clock_text(*swapped) + "?";
  finding.fixes = {{odd.hours_at, std::to_string(odd.minutes)},
                   {odd.minutes_at, std::to_string(odd.hours)}};
}

void check_station_time(LintContext& context, const LintRow& row) {
  const StationTime time{
      station_seconds(row[kStationHours], row[kStationHours + 1], row[kStationHours + 2]),
      row[kStationHours], row[kStationHours + 1], row.at(kStationHours), row.at(kStationHours + 1)};
  const std::optional<StationTime>& previous = context.previous_station;
  const std::optional<StationTime>& before = context.station_before_previous;
  if (previous && time.seconds < previous->seconds) {
    if (before && before->seconds <= time.seconds) {
      warn_time_out_of_line(context, *before, *previous, time);
    } else {
      context.warn(Warning::kTimeBackwards, row.at(kStationHours),
                   "this station's time " + clock_text(time.seconds) +
                       " is earlier than the time of the station before it, " +
                       clock_text(previous->seconds) +
                       ": stations are listed in route order, so their times should not run "
                       "backwards");
    }
  }
  context.station_before_previous = context.previous_station;
  context.previous_station = time;
}

void check_station(LintContext& context, const LintRow& row) {
  check_on_route(context, "the station's position", row[0], row.at(0));
  check_station_extent(context, row);
  check_time_of_day(context, "the station's time", row, kStationHours);
  check_station_time(context, row);
}

// A kind whose values no check looks at.
void no_check(LintContext& /*context*/, const LintRow& /*row*/) {}

constexpr auto kRowChecks = [] {
  std::array<RowCheck, kRowKindCount> checks{};
  checks.fill(no_check);
  const auto set = [&](RowKind kind, RowCheck check) { checks[static_cast<size_t>(kind)] = check; };
  set(RowKind::kRouteLength, check_route_length);
  set(RowKind::kSignalRepetition, check_repetition);
  set(RowKind::kGradient, check_gradient);
  set(RowKind::kCurve, check_curve);
  set(RowKind::kTunnel, check_tunnel);
  set(RowKind::kSpeedBoard, check_speed_board);
  set(RowKind::kTextBoard, check_text_board);
  set(RowKind::kBrakedMass, check_braked_mass);
  set(RowKind::kCars, check_cars);
  set(RowKind::kSpeedLimit, check_speed);
  set(RowKind::kAdhesion, check_adhesion);
  set(RowKind::kClock, check_clock);
  set(RowKind::kSignal, check_signal);
  set(RowKind::kSlowdown, check_slowdown);
  set(RowKind::kAbbattimento, check_abbattimento);
  set(RowKind::kStation, check_station);
  return checks;
}();

}  // namespace

RowCheck row_check(RowKind kind) {
  return kRowChecks[static_cast<size_t>(kind)];
}

}  // namespace sc
