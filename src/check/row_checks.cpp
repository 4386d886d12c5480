#include "check/row_checks.h"

#include <string>

#include "check/value_checks.h"
#include "model/cell_geometry.h"
#include "model/format_rules.h"
#include "model/object_rules.h"

namespace sc {
namespace {

constexpr int64_t kHighestTunnelType = 3;

// The row's position (its first value) on the 50 m grid, where the compile
// puts it in cell metres / 50 + `cell_offset`, and on the route.
void check_position(LintContext& context, std::string_view what, const LintRow& row,
                    int cell_offset) {
  check_grid(context, what, row[0], row.at(0), cell_offset);
  check_on_route(context, what, row[0], row.at(0));
}

// --- the line file ---

void check_route_length(LintContext& context, const LintRow& row) {
  if (row[0] >= 0 && row[0] <= kLongestRoute) context.route_length = row[0];
}

void check_gradient(LintContext& context, const LintRow& row) {
  check_position(context, "the gradient's position", row, 0);
  const auto stored = static_cast<uint8_t>(row[1] + kGradientBias);
  check_fits(context, "gradient", row[1], row.at(1), -kGradientBias, 255 - kGradientBias,
             int64_t{stored} - kGradientBias);
}

void check_curve(LintContext& context, const LintRow& row) {
  check_on_route(context, "the curve's start", row[0], row.at(0));
}

void check_tunnel(LintContext& context, const LintRow& row) {
  check_grid(context, "the tunnel's start", row[0], row.at(0), 0);
  check_grid(context, "the tunnel's end", row[1], row.at(1), 0);
  check_on_route(context, "the tunnel's start", row[0], row.at(0));
  if (row[1] <= row[0]) {
    context.warn(Warning::kTunnelBackwards, row.at(1),
                 "the tunnel ends at " + std::to_string(row[1]) + " m, not after its start at " +
                     std::to_string(row[0]) +
                     " m, so it makes no tunnel; give the start first, then the end");
  }
  const int64_t type = tunnel_kind(row[2]).type;
  if (type < 1 || type > kHighestTunnelType) {
    context.warn(Warning::kTunnelType, row.at(2),
                 "tunnel type " + std::to_string(row[2]) +
                     " is unknown: the types are 1 to 3, or 11 to 13 for the same types with "
                     "tunnel markers");
  }
}

void check_speed_board(LintContext& context, const LintRow& row) {
  check_position(context, "the speed board's position", row, 1);
}

void check_text_board(LintContext& context, const LintRow& row) {
  check_position(context, "the text board's position", row, 1);
}

// --- the train file ---

void check_speed(LintContext& context, const LintRow& row) {
  check_position(context, "the speed limit's position", row, 0);
}

void check_adhesion(LintContext& context, const LintRow& row) {
  check_position(context, "the adhesion's position", row, 0);
  check_fits(context, "adhesion", row[1], row.at(1), 0, 255, static_cast<uint8_t>(row[1]));
}

void check_clock(LintContext& context, const LintRow& row) {
  check_time_of_day(context, "the clock", row, 0);
}

// Values 0 to 10 as they stand in the row: posizione, sx, s1, s2, s3, rapp,
// dx, d1, d2, d3, tempo.
void check_signal(LintContext& context, const LintRow& row) {
  check_position(context, "the signal's position", row, 1);
  const int64_t sx = row[1];
  const int64_t dx = row[6];
  check_fits_16(context, "the signal's rapp x 10 + sx x 3 + dx, which is",
                signal_info4(row[5], sx, dx), row.at(5));
  for (size_t k = 0; k < 3; ++k) {
    check_fits_16(context, "the signal's aspect value s x 10 + d, which is",
                  row[2 + k] * 10 + row[7 + k], row.at(2 + k));
  }
  const int64_t code = signal_mark_code(sx, dx);
  check_fits(context, "the signal's approach-mark code (sx x 3 + dx) x 10 + 4, which is",
             code * 10 + 4, row.at(1), 0, 255, static_cast<uint8_t>(code * 10 + 4));
  if (sx != kTimedSx) return;
  const int64_t tempo = stored_signal_time(row[10]);
  check_fits(context, "the signal's time", tempo, row.at(10), 0, 255, static_cast<uint8_t>(tempo));
}

// x, v, l, f_tt, f_ta, d_v
void check_slowdown(LintContext& context, const LintRow& row) {
  check_grid(context, "the slowdown's start", row[0], row.at(0), 1);
  check_grid(context, "the slowdown's end (start + length)", row[0] + row[2], row.at(2), 1);
  check_on_route(context, "the slowdown's start", row[0], row.at(0));
  check_fits_16(context, "the slowdown's speed", row[1], row.at(1));
  check_fits_16(context, "the slowdown's f_tt", row[3], row.at(3));
  check_fits_16(context, "the slowdown's d_v", row[5], row.at(5));
}

void check_abbattimento(LintContext& context, const LintRow& row) {
  check_position(context, "the abbattimento point's position", row, 0);
  if (row[1] > 0) check_fits_16(context, "the abbattimento code", row[1], row.at(1));
}

constexpr size_t kStationHours = 13;

void check_station(LintContext& context, const LintRow& row) {
  check_on_route(context, "the station's position", row[0], row.at(0));
  check_time_of_day(context, "the station's time", row, kStationHours);
  const int64_t time =
      (row[kStationHours] * 60 + row[kStationHours + 1]) * 60 + row[kStationHours + 2];
  if (context.previous_station_time && time < *context.previous_station_time) {
    context.warn(Warning::kTimeBackwards, row.at(kStationHours),
                 "this station's time " + clock_text(time) +
                     " is earlier than the time of the station before it, " +
                     clock_text(*context.previous_station_time) +
                     ": stations are listed in route order, so their times should not run "
                     "backwards");
  }
  context.previous_station_time = time;
}

}  // namespace

RowCheck row_check(RowKind kind) {
  switch (kind) {
    case RowKind::kRouteLength:
      return check_route_length;
    case RowKind::kGradient:
      return check_gradient;
    case RowKind::kCurve:
      return check_curve;
    case RowKind::kTunnel:
      return check_tunnel;
    case RowKind::kSpeedBoard:
      return check_speed_board;
    case RowKind::kTextBoard:
      return check_text_board;
    case RowKind::kSpeedLimit:
      return check_speed;
    case RowKind::kAdhesion:
      return check_adhesion;
    case RowKind::kClock:
      return check_clock;
    case RowKind::kSignal:
      return check_signal;
    case RowKind::kSlowdown:
      return check_slowdown;
    case RowKind::kAbbattimento:
      return check_abbattimento;
    case RowKind::kStation:
      return check_station;
    default:
      return nullptr;
  }
}

}  // namespace sc
