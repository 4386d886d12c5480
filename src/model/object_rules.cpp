#include "model/object_rules.h"

#include "model/cell_geometry.h"
#include "textio/narrow.h"
#include "textio/rounding.h"

namespace sc {
namespace {

constexpr int kObjectCellOffset = 1;
constexpr int64_t kShortExtentEnd = 150;
constexpr int64_t kEndExtension = 50;
constexpr int kFirstUnmarkedStation = 25;
constexpr int kPackedSpeedFactor = 20;
constexpr int kStripesFactor = 10;
constexpr int64_t kSignalPairFactor = 10;
constexpr int64_t kRappFactor = 10;
constexpr int64_t kMarkFactor = 10;
constexpr int64_t kMarkBytes = 256;
// 5 x 77 = 385 = 3 x 128 + 1: 77 undoes the factor 5 modulo 128.
constexpr int64_t kInverseOfFiveMod128 = 77;
constexpr int kTimeBytes = 256;

// The remainder that lies from 0 to modulus - 1 whatever the sign of value.
int64_t floor_remainder(int64_t value, int64_t modulus) {
  const int64_t r = value % modulus;
  return r < 0 ? r + modulus : r;
}

}  // namespace

int64_t object_cell(int64_t position) {
  return cell_index(position, kObjectCellOffset);
}

int64_t object_position(int64_t cell) {
  return (cell - kObjectCellOffset) * kCellMetres;
}

int64_t object_landing(int64_t cell) {
  return cell * kCellMetres;
}

int64_t signal_mark_code(int64_t sx, int64_t dx) {
  return sx * 3 + dx;
}

int64_t signal_info4(int64_t rapp, int64_t sx, int64_t dx) {
  return rapp * kRappFactor + signal_mark_code(sx, dx);
}

int64_t signal_pair(int64_t s, int64_t d) {
  return s * kSignalPairFactor + d;
}

SignalPair signal_pair_values(int64_t packed) {
  const int64_t d = floor_remainder(packed, kSignalPairFactor);
  return {(packed - d) / kSignalPairFactor, d};
}

SignalRappCode signal_rapp_code(int64_t info4) {
  const int64_t code = floor_remainder(info4, kRappFactor);
  return {(info4 - code) / kRappFactor, code};
}

std::optional<SignalRappCode> signal_rapp_code(int64_t info4, int64_t code_from_marks) {
  if (floor_remainder(info4 - code_from_marks, 2) != 0) return std::nullopt;
  int64_t code = floor_remainder(code_from_marks, kMarkCodeModulus);
  while (floor_remainder(info4 - code, kRappFactor) != 0) code += kMarkCodeModulus;
  return SignalRappCode{(info4 - code) / kRappFactor, code};
}

int64_t signal_tempo(uint8_t stored_time) {
  if (stored_time >= kLowestTempo && stored_time <= kHighestTempo) return stored_time + kTimeBytes;
  return stored_time;
}

int64_t approach_mark_value(int64_t code, int step) {
  return code * kMarkFactor + step;
}

uint8_t approach_mark(int64_t code, int step) {
  return low_bits<uint8_t>(approach_mark_value(code, step));
}

// code x 10 = 2 x (code x 5) modulo 256 tells code x 5, and so code, modulo 128.
std::optional<int64_t> approach_mark_code(uint8_t mark, int step) {
  const int64_t ten_codes = floor_remainder(int64_t{mark} - step, kMarkBytes);
  if (ten_codes % 2 != 0) return std::nullopt;
  return ten_codes / 2 * kInverseOfFiveMod128 % kMarkCodeModulus;
}

MarkDigits mark_digits(uint8_t mark) {
  return {static_cast<int>(mark / kMarkFactor), static_cast<int>(mark % kMarkFactor)};
}

SignalSides signal_sides(int64_t code, bool timed) {
  const int64_t sx = timed ? kTimedSx : code / 3;
  return {sx, code - 3 * sx};
}

int64_t stored_signal_time(int64_t tempo) {
  return tempo >= kLowestTempo && tempo <= kHighestTempo ? kRaisedTempo : tempo;
}

bool is_short_station(int64_t type) {
  return type == 5 || type == 6;
}

bool is_long_station(int64_t type) {
  return type == 7 || type == 8;
}

bool station_stops(int64_t type) {
  return type < kFirstUnmarkedStation;
}

bool station_marks(int64_t type) {
  return station_stops(type) && !is_short_station(type);
}

std::string_view station_type_meaning(int64_t type) {
  if (!station_stops(type)) {
    return "pass: no stop cell and no approach marks, so nothing on the route stops the train "
           "here; the station keeps its name and time; centred on its position";
  }
  if (is_short_station(type)) {
    return "stop: the train stops at the stop cell, the last 50 m cell of the station; no "
           "approach marks; the station runs from position - length to position + 150";
  }
  if (is_long_station(type)) {
    return "stop: the train stops at the stop cell, the last 50 m cell of the station, after "
           "four approach marks; the station runs from position - length to position + length";
  }
  return "stop: the train stops at the stop cell, the last 50 m cell of the station, after four "
         "approach marks; centred on its position";
}

StationExtent station_extent(int64_t type, int64_t position, int64_t length, bool end_extension) {
  if (is_short_station(type)) return {position - length, position + kShortExtentEnd};
  if (is_long_station(type)) return {position - length, position + length};
  const int64_t last = position + length / 2 + (end_extension ? kEndExtension : 0);
  return {position - length / 2, last};
}

StationLength station_length(int64_t type, int64_t position, const StationExtent& extent) {
  if (is_short_station(type) || is_long_station(type)) return {position - extent.first, false};
  const int64_t length = 2 * (position - extent.first);
  return {length, extent.last != position + length / 2};
}

void place_stop(Cell& cell, int64_t station_entry) {
  cell.type_code = cell_type::kStationStop;
  cell.info1 = low_bits<int16_t>(station_entry);
}

int64_t stop_station(const Cell& stop) {
  return stop.info1;
}

Cell object_under_stop(const Cell& stop, uint8_t type_code) {
  Cell object = stop;
  object.type_code = type_code;
  object.info1 = 0;
  return object;
}

int64_t station_seconds(int64_t hours, int64_t minutes, int64_t seconds) {
  return (hours * kMinutesPerHour + minutes) * kSecondsPerMinute + seconds;
}

ClockTime station_clock(int64_t seconds) {
  const int64_t minutes = seconds / kSecondsPerMinute;
  return {minutes / kMinutesPerHour, minutes % kMinutesPerHour, seconds % kSecondsPerMinute};
}

StopRemnant stop_remnant(const Cell& cell) {
  return {cell.info2, cell.info3, cell.info4, cell.signal_time};
}

int64_t station_stop_cell(int64_t last) {
  return last / kCellMetres - 1;
}

uint8_t station_mark(int step) {
  return approach_mark(kStationMarkCode, step);
}

bool slowdown_warned(int64_t start) {
  return start > kLastUnwarnedStart;
}

int64_t slowdown_warning_position(int64_t start) {
  return start - kWarningDistance;
}

int64_t slowdown_end_position(int64_t start, int64_t length) {
  return start + length;
}

SlowdownCells slowdown_cells(int64_t start, int64_t length) {
  const int64_t warning_at = slowdown_warning_position(start);
  return {.warning = object_cell(warning_at),
          .start = object_cell(start),
          .end = object_cell(slowdown_end_position(start, length)),
          .countdown = cell_index(warning_at)};
}

int64_t slowdown_warning_cell(int64_t start_cell) {
  return start_cell - kWarningCells;
}

bool slowdown_must_warn(int64_t start_cell) {
  return start_cell > kLastWarnableCell;
}

int64_t slowdown_position(int64_t start_cell, bool warned) {
  if (warned && start_cell == kLastWarnableCell) return kFirstWarnedStart;
  return object_position(start_cell);
}

std::vector<WarnedStart> warned_starts(int64_t start_cell) {
  std::vector<WarnedStart> starts;
  for (const int64_t x :
       {slowdown_position(start_cell, true), object_position(start_cell) - kCellMetres / 2}) {
    if (object_cell(x) != start_cell || !slowdown_warned(x)) continue;
    const int64_t countdown = slowdown_cells(x, 0).countdown;
    if (starts.empty() || starts.back().countdown != countdown) starts.push_back({x, countdown});
  }
  return starts;
}

int64_t packed_speeds(int64_t left, int64_t right) {
  return round_half_even(static_cast<double>(right) / 5.0 +
                         double{kPackedSpeedFactor} * static_cast<double>(left));
}

int packed_left_speed(int16_t packed) {
  return packed / kPackedSpeedFactor;
}

int packed_right_speed(int16_t packed) {
  return packed % kPackedSpeedFactor * kSpeedStepKmh;
}

int64_t packed_stripes(int64_t left, int64_t right) {
  return left * kStripesFactor + right;
}

int packed_left_stripes(int16_t packed) {
  return packed / kStripesFactor;
}

int packed_right_stripes(int16_t packed) {
  return packed % kStripesFactor;
}

uint8_t gradient_byte(int64_t per_mille) {
  return low_bits<uint8_t>(per_mille + kGradientBias);
}

int gradient_per_mille(uint8_t gradient) {
  return gradient - kGradientBias;
}

int64_t speed_steps(int64_t kmh) {
  return round_half_even(static_cast<double>(kmh) / kSpeedStepKmh);
}

int line_speed_kmh(uint8_t steps) {
  return steps * kSpeedStepKmh;
}

TunnelKind tunnel_kind(int64_t tipo) {
  if (tipo > kMarkedTunnelOffset) return {tipo - kMarkedTunnelOffset, true};
  return {tipo, false};
}

int64_t tunnel_tipo(uint8_t type, bool markers) {
  if (markers) return int64_t{type} + kMarkedTunnelOffset;
  // A type above 10 without markers is its low byte minus 256.
  return type <= kMarkedTunnelOffset ? type : int64_t{type} - 256;
}

bool close_tunnel(int64_t start, int64_t previous_end) {
  return start - previous_end <= kCloseTunnelGap;
}

TunnelCells tunnel_cells(int64_t start, int64_t end) {
  return {cell_index(start), cell_index(end) - 1};
}

int64_t tunnel_start(int64_t first_cell) {
  return first_cell * kCellMetres;
}

int64_t tunnel_end(int64_t last_cell) {
  return (last_cell + 1) * kCellMetres;
}

bool tunnel_marker_cell(int64_t first_cell, int64_t cell) {
  return (cell - first_cell + 1) % kTunnelMarkerEvery == 0;
}

}  // namespace sc
