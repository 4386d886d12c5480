#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/format_rules.h"
#include "model/model.h"

namespace sc {

// How the rows' values become cells and table fields, each rule beside its
// inverse: the compilers encode with them, and every tool that reads compiled
// files back (the object decoder, the decompiler, the warnings) decodes with
// them. Positions and lengths are 64-bit here; a compiler narrows what it
// stores and faults where a value does not fit.

// --- cells of positioned objects ---

// Signals, slowdowns and boards stand in the cell position / 50 + 1, rounded.
int64_t object_cell(int64_t position);
// The position, a multiple of 50, that a row gives for an object in `cell`.
int64_t object_position(int64_t cell);
// The metre where an object in `cell` stands on the track: the cell's first
// metre, one cell past the position its row gives.
int64_t object_landing(int64_t cell);

// --- signals ---

// A signal's mark code, sx x 3 + dx: its approach marks carry code x 10 +
// step, and its info4 is rapp x 10 + code.
int64_t signal_mark_code(int64_t sx, int64_t dx);
int64_t signal_info4(int64_t rapp, int64_t sx, int64_t dx);
// The sides a mark code stands for: sx = code / 3 (kTimedSx for a timed
// signal, whatever the code), dx the rest.
struct SignalSides {
  int64_t sx = 0;
  int64_t dx = 0;
};
SignalSides signal_sides(int64_t code, bool timed);
// The time a timed signal stores for its row's `tempo`.
int64_t stored_signal_time(int64_t tempo);
// Its info1 to info3 each pack one pair of the row's values, s x 10 + d
// (s1 and d1, s2 and d2, s3 and d3).
int64_t signal_pair(int64_t s, int64_t d);
// Read back, d is the packed value's last decimal digit, 0 to 9: the only d
// that a value can be unpacked to again.
struct SignalPair {
  int64_t s = 0;
  int64_t d = 0;
};
SignalPair signal_pair_values(int64_t packed);
// info4 read back as rapp x 10 + the mark code, the code taken as its last
// decimal digit (the mark codes that sx and dx of 0 to 2 give are below 10).
struct SignalRappCode {
  int64_t rapp = 0;
  int64_t code = 0;
};
SignalRappCode signal_rapp_code(int64_t info4);
// info4 read back with the mark code known modulo kMarkCodeModulus from the
// signal's approach marks: the least code from 0 upwards that gives both;
// none when no code does (info4 - code must be even).
std::optional<SignalRappCode> signal_rapp_code(int64_t info4, int64_t code_from_marks);
// The row's `tempo` that a timed signal's stored time byte comes from: a
// time from kLowestTempo to kHighestTempo is raised, so such a byte is the
// low 8 bits of a tempo 256 higher.
int64_t signal_tempo(uint8_t stored_time);

// --- approach marks ---

// A mark is code x 10 + step (step 1 nearest its signal or station), kept to
// its low 8 bits.
int64_t approach_mark_value(int64_t code, int step);
uint8_t approach_mark(int64_t code, int step);
// The code a mark with `step` comes from, known modulo kMarkCodeModulus; none
// when no code gives it.
constexpr int64_t kMarkCodeModulus = 128;
std::optional<int64_t> approach_mark_code(uint8_t mark, int step);
// A mark's decimal digits as code and step, for listing a byte as it stands.
struct MarkDigits {
  int code = 0;
  int step = 0;
};
MarkDigits mark_digits(uint8_t mark);

// --- stations ---

// Types 5 and 6 end 150 m past their position and place no approach marks;
// types 7 and 8 reach their length on both sides; every other type is
// centred on its position and may be extended by 50 m at its end.
bool is_short_station(int64_t type);
bool is_long_station(int64_t type);
// Types below 25 place a stop cell; those that do and are not short place
// approach marks before it.
bool station_stops(int64_t type);
bool station_marks(int64_t type);
// What a type means for the train, in a sentence: "stop: ..." for a type
// that places a stop cell, "pass: ..." for one that places none.
std::string_view station_type_meaning(int64_t type);

// The first and last metre of a station (table values 1 and 2).
struct StationExtent {
  int64_t first = 0;
  int64_t last = 0;
};
StationExtent station_extent(int64_t type, int64_t position, int64_t length, bool end_extension);

// The row's length and end extension that give `extent` at `position`.
struct StationLength {
  int64_t length = 0;
  bool end_extension = false;
};
StationLength station_length(int64_t type, int64_t position, const StationExtent& extent);

// The row's values 4 to 13 go into these entry fields, in row order, and
// are stored as written; only value 5 (byte4) and value 6, the end extension
// (byte3), are cleared where a station takes neither.
constexpr int kFirstStoredStationValue = 4;
constexpr int kStationEndExtensionValue = 6;
inline constexpr std::tuple kStoredStationValues{
    &TableEntry::flag, &TableEntry::byte4, &TableEntry::byte3, &TableEntry::int1,
    &TableEntry::int2, &TableEntry::byte1, &TableEntry::int3,  &TableEntry::int4,
    &TableEntry::int5, &TableEntry::byte2};

// A stop cell holds the station's entry and keeps the rest of what stood in
// the cell before it; read back, that object lost its type and info1.
void place_stop(Cell& cell, int64_t station_entry);
int64_t stop_station(const Cell& stop);
Cell object_under_stop(const Cell& stop, uint8_t type_code);
// What a stop cell keeps of the object under it: its values after the first
// and its signal time.
struct StopRemnant {
  int16_t second = 0;
  int16_t third = 0;
  int16_t fourth = 0;
  uint8_t signal_time = 0;
  bool operator==(const StopRemnant&) const = default;
};
StopRemnant stop_remnant(const Cell& cell);

// A station's time is (hours x 60 + minutes) x 60 + seconds; read back, each
// part keeps the time's sign (-3660 is -1, -1, 0).
constexpr int64_t kMinutesPerHour = 60;
constexpr int64_t kSecondsPerMinute = 60;
int64_t station_seconds(int64_t hours, int64_t minutes, int64_t seconds);
struct ClockTime {
  int64_t hours = 0;
  int64_t minutes = 0;
  int64_t seconds = 0;
};
ClockTime station_clock(int64_t seconds);

// The last cell inside the station, the one that ends at its last metre.
int64_t station_stop_cell(int64_t last);
// The approach mark `step` cells before the stop cell (1 nearest it); cells
// below kLowestStationMarkCell get none.
uint8_t station_mark(int step);
constexpr int64_t kLowestStationMarkCell = 2;

// --- slowdowns ---

// A slowdown starting at x over l metres: its end at x + l, its warning
// kWarningDistance before x when x lies beyond kLastUnwarnedStart, and with a
// countdown the kCountdownCells cells before the warning, numbered 1 nearest.
constexpr int kCountdownCells = 4;
bool slowdown_warned(int64_t start);
int64_t slowdown_warning_position(int64_t start);
int64_t slowdown_end_position(int64_t start, int64_t length);

struct SlowdownCells {
  int64_t warning = 0;
  int64_t start = 0;
  int64_t end = 0;
  int64_t countdown = 0;  // the countdown cell numbered 1; number j stands j - 1 before it
};
SlowdownCells slowdown_cells(int64_t start, int64_t length);

// Inverse, for a slowdown read back from its start cell: its warning cell
// stands kWarningCells before the start, a start in kLastWarnableCell or
// later may be warned, one after it must be, and a row position that gives
// both the cell and the warning.
constexpr int64_t kWarningCells = kWarningDistance / kCellMetres;
constexpr int64_t kLastWarnableCell = 31;
constexpr int32_t kFirstWarnedStart = 1510;
int64_t slowdown_warning_cell(int64_t start_cell);
bool slowdown_must_warn(int64_t start_cell);
int64_t slowdown_position(int64_t start_cell, bool warned);
// The row positions of a warned slowdown starting in `start_cell`, each with
// the cell its countdown numbers 1: the cell's own position puts it just
// before the warning; a start half a cell earlier, where one gives the same
// start cell, puts it a cell further back.
struct WarnedStart {
  int64_t position = 0;
  int64_t countdown = 0;
};
std::vector<WarnedStart> warned_starts(int64_t start_cell);

// --- speed boards ---

// A board's three packed speeds hold 20 x the left speed + the right speed / 5,
// rounded; its stripes 10 x strisces + strisced.
int64_t packed_speeds(int64_t left, int64_t right);
int packed_left_speed(int16_t packed);
int packed_right_speed(int16_t packed);
int64_t packed_stripes(int64_t left, int64_t right);
int packed_left_stripes(int16_t packed);
int packed_right_stripes(int16_t packed);

// --- per-cell values ---

// A cell keeps the gradient in per mille plus kGradientBias in its low 8
// bits, and the line speed in steps of kSpeedStepKmh, rounded half to even
// (a compiler faults where the steps do not fit the byte).
uint8_t gradient_byte(int64_t per_mille);
int gradient_per_mille(uint8_t gradient);
int64_t speed_steps(int64_t kmh);
int line_speed_kmh(uint8_t steps);

// --- tunnels ---

// A tunnel row's type above kMarkedTunnelOffset is that much less, with a
// marker in every kTunnelMarkerEvery-th cell of its span that holds nothing;
// one starting at most kCloseTunnelGap metres after the previous row's end is
// of kCloseTunnelType.
constexpr int64_t kMarkedTunnelOffset = 10;
constexpr int64_t kCloseTunnelGap = 150;
constexpr uint8_t kCloseTunnelType = 3;
constexpr int64_t kTunnelMarkerEvery = 4;

struct TunnelKind {
  int64_t type = 0;
  bool markers = false;
};
TunnelKind tunnel_kind(int64_t tipo);
// The row's type for a tunnel `type` stored in its cells' byte.
int64_t tunnel_tipo(uint8_t type, bool markers);
bool close_tunnel(int64_t start, int64_t previous_end);
// The cells a tunnel from `start` to `end` metres covers, before the cut at
// the last cell, and the metres of a run of cells.
struct TunnelCells {
  int64_t first = 0;
  int64_t last = 0;
};
TunnelCells tunnel_cells(int64_t start, int64_t end);
int64_t tunnel_start(int64_t first_cell);
int64_t tunnel_end(int64_t last_cell);
bool tunnel_marker_cell(int64_t first_cell, int64_t cell);

// --- the plan view ---

// Each computed profile point continues the last step, straight or turned by
// a curvature; the order of the operations is part of the format, since the
// simulator's profile must match bit for bit.
struct PlanPoint {
  double x = 0;
  double y = 0;
};
inline PlanPoint straight_step(PlanPoint before, PlanPoint last) {
  return {last.x + (last.x - before.x), last.y + (last.y - before.y)};
}
inline PlanPoint arc_step(PlanPoint before, PlanPoint last, double curvature) {
  const double dx = last.x - before.x;
  const double dy = last.y - before.y;
  return {last.x + (dy * curvature + dx), last.y + (dy - dx * curvature)};
}
inline bool same_point(PlanPoint a, PlanPoint b) {
  return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0;
}

}  // namespace sc
