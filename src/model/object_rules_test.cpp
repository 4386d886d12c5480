#include "model/object_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace sc {
namespace {

TEST(ObjectRules, ObjectCellsAndTheirPositions) {
  for (const int64_t position : {0, 50, 1500, 2000, 26950, 999950}) {
    EXPECT_EQ(object_position(object_cell(position)), position);
  }
  EXPECT_EQ(object_cell(2000), 41);
  EXPECT_EQ(object_cell(25), 2);  // 1.5 rounds to the even 2
}

TEST(ObjectRules, SignalCodesRoundTrip) {
  for (const int64_t sx : {0, 1, 2, 3}) {
    for (const int64_t dx : {0, 1, 2}) {
      const SignalSides sides = signal_sides(signal_mark_code(sx, dx), sx == kTimedSx);
      EXPECT_EQ(sides.sx, sx);
      EXPECT_EQ(sides.dx, dx);
    }
  }
  EXPECT_EQ(signal_info4(4, 1, 2), 45);
  // A timed signal keeps sx = 2 whatever dx makes of the code.
  EXPECT_EQ(signal_sides(signal_mark_code(2, 5), true).dx, 5);
  EXPECT_EQ(stored_signal_time(1), kRaisedTempo);
  EXPECT_EQ(stored_signal_time(100), kRaisedTempo);
  EXPECT_EQ(stored_signal_time(0), 0);
  EXPECT_EQ(stored_signal_time(150), 150);
}

// Pairs with d from 0 to 9 and mark codes below 10 come back as written,
// negative s and rapp included.
TEST(ObjectRules, SignalPairsAndInfo4RoundTrip) {
  for (const int64_t s : {-12, -1, 0, 1, 4, 3276}) {
    for (const int64_t d : {0, 1, 9}) {
      const SignalPair pair = signal_pair_values(signal_pair(s, d));
      EXPECT_EQ(pair.s, s);
      EXPECT_EQ(pair.d, d);
    }
  }
  for (const int64_t rapp : {-3, 0, 1, 20}) {
    for (const int64_t code : {0, 5, 8}) {
      const SignalRappCode read = signal_rapp_code(rapp * 10 + code);
      EXPECT_EQ(read.rapp, rapp);
      EXPECT_EQ(read.code, code);
    }
  }
  EXPECT_EQ(object_landing(object_cell(9400)), 9450);
}

// A mark keeps code x 10 + step to 8 bits, which tells the code modulo 128;
// with info4 that gives the code and rapp back, wherever a code lies.
TEST(ObjectRules, ApproachMarksTellTheCode) {
  for (const int64_t code : {-1, 0, 5, 8, 9, 11, 25, 26, 127, 300}) {
    for (int step = 1; step <= kApproachMarks; ++step) {
      const uint8_t mark = approach_mark(code, step);
      EXPECT_EQ(mark, static_cast<uint8_t>(approach_mark_value(code, step)));
      const std::optional<int64_t> told = approach_mark_code(mark, step);
      ASSERT_TRUE(told) << code;
      EXPECT_EQ((*told - code) % kMarkCodeModulus, 0) << code;
      for (const int64_t rapp : {-2, 0, 3}) {
        const auto read = signal_rapp_code(signal_info4(rapp, 0, code), *told);
        if (code < 0 || code > 600) continue;  // the least code from 0 is another one
        ASSERT_TRUE(read) << code;
        EXPECT_EQ(read->code, code);
        EXPECT_EQ(read->rapp, rapp);
      }
    }
  }
  EXPECT_EQ(station_mark(1), 81);
  EXPECT_EQ(mark_digits(84).code, 8);
  EXPECT_EQ(mark_digits(84).step, 4);
  EXPECT_EQ(approach_mark_code(2, 1), std::nullopt);  // an odd ten-codes
  EXPECT_EQ(signal_rapp_code(45, 4), std::nullopt);   // info4 and code of unlike parity
}

// Time bytes from 1 to 100 come from tempi 256 higher; every other byte is its tempo.
TEST(ObjectRules, SignalTempoRoundTrips) {
  for (const int64_t tempo : {0, 101, 150, 255, 257, 356}) {
    const auto stored = static_cast<uint8_t>(stored_signal_time(tempo));
    EXPECT_EQ(static_cast<uint8_t>(stored_signal_time(signal_tempo(stored))), stored) << tempo;
  }
  EXPECT_EQ(signal_tempo(44), 300);
  EXPECT_EQ(signal_tempo(101), 101);
}

// Each start a warned slowdown in a cell may have gives that cell, and the
// countdown its forward rule places; the even cells have a second one.
TEST(ObjectRules, WarnedStartsGiveTheirCells) {
  for (int64_t s = kLastWarnableCell; s < 60; ++s) {
    const std::vector<WarnedStart> starts = warned_starts(s);
    ASSERT_FALSE(starts.empty()) << s;
    EXPECT_EQ(starts.front().countdown, slowdown_warning_cell(s) - 1) << s;
    for (const WarnedStart& start : starts) {
      EXPECT_EQ(slowdown_cells(start.position, 0).start, s);
      EXPECT_EQ(slowdown_cells(start.position, 0).warning, slowdown_warning_cell(s));
      EXPECT_EQ(slowdown_cells(start.position, 0).countdown, start.countdown);
    }
    EXPECT_EQ(starts.size(), s % 2 == 0 ? 2u : 1u) << s;
  }
  EXPECT_EQ(warned_starts(40).back().position, 1925);
  EXPECT_EQ(warned_starts(40).back().countdown, 14);
}

// A time comes back as parts that give it again, negative times included; a
// time of day as its hours, minutes and seconds.
TEST(ObjectRules, StationTimesRoundTrip) {
  for (const int64_t seconds : {0, 59, 60, 3599, 31320, 86399, 90061, -1, -3660, -90061}) {
    const ClockTime clock = station_clock(seconds);
    EXPECT_EQ(station_seconds(clock.hours, clock.minutes, clock.seconds), seconds);
  }
  const ClockTime clock = station_clock(station_seconds(8, 42, 5));
  EXPECT_EQ(std::vector<int64_t>({clock.hours, clock.minutes, clock.seconds}),
            std::vector<int64_t>({8, 42, 5}));
}

// Gradients keep their low 8 bits; speeds their steps of 5 km/h, a half step
// rounded to even.
TEST(ObjectRules, GradientAndSpeedBytesRoundTrip) {
  for (const int64_t per_mille : {-100, -3, 0, 7, 155}) {
    EXPECT_EQ(gradient_per_mille(gradient_byte(per_mille)), per_mille);
  }
  EXPECT_EQ(gradient_per_mille(gradient_byte(156)), -100);  // 256 keeps 0
  for (const int64_t kmh : {0, 5, 100, 1275}) {
    EXPECT_EQ(line_speed_kmh(static_cast<uint8_t>(speed_steps(kmh))), kmh);
  }
  EXPECT_EQ(speed_steps(7), 1);
  EXPECT_EQ(speed_steps(12), 2);  // 2.4
  EXPECT_EQ(speed_steps(-2), 0);  // -0.4
  EXPECT_EQ(speed_steps(1277), 255);
}

// Every type class, with and without the end extension, and a negative length.
TEST(ObjectRules, StationExtentRoundTrips) {
  const struct {
    int type;
    int64_t position, length;
    bool extension;
    StationExtent extent;
  } cases[] = {
      {12, 1000, 200, false, {900, 1100}},   {12, 1000, 200, true, {900, 1150}},
      {5, 1000, 300, false, {700, 1150}},    {6, 1000, 300, true, {700, 1150}},
      {7, 1000, 300, false, {700, 1300}},    {28, 1000, 600, true, {700, 1350}},
      {22, 5000, -200, false, {5100, 4900}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    const StationExtent extent = station_extent(c.type, c.position, c.length, c.extension);
    EXPECT_EQ(extent.first, c.extent.first);
    EXPECT_EQ(extent.last, c.extent.last);
    const StationLength back = station_length(c.type, c.position, extent);
    EXPECT_EQ(back.length, c.length);
    // Short and long types take no extension.
    const bool centred = !is_short_station(c.type) && !is_long_station(c.type);
    EXPECT_EQ(back.end_extension, centred && c.extension);
  }
  EXPECT_EQ(station_stop_cell(1100), 21);
  EXPECT_EQ(station_stop_cell(150), 2);
  EXPECT_TRUE(station_marks(12));
  EXPECT_FALSE(station_marks(5));
  EXPECT_FALSE(station_stops(25));
  EXPECT_EQ(station_mark(1), 81);
}

// The cells of a slowdown, and the position read back from its start cell
// gives them again; a start at 1500 m is not warned, one in the same cell
// further on is.
TEST(ObjectRules, SlowdownCellsRoundTrip) {
  const SlowdownCells c = slowdown_cells(2000, 1000);
  EXPECT_EQ(c.warning, 17);
  EXPECT_EQ(c.start, 41);
  EXPECT_EQ(c.end, 61);
  EXPECT_EQ(c.countdown, 16);
  EXPECT_EQ(slowdown_cells(2500, -500).end, c.start);
  for (const int64_t x : {0, 1450, 1500, 1510, 1550, 2000, 26950}) {
    SCOPED_TRACE(x);
    const SlowdownCells cells = slowdown_cells(x, 300);
    const bool warned = slowdown_warned(x);
    const int64_t back = slowdown_position(cells.start, warned);
    EXPECT_EQ(slowdown_warned(back), warned);
    EXPECT_EQ(slowdown_cells(back, 300).start, cells.start);
    if (!warned) continue;
    EXPECT_EQ(slowdown_warning_cell(cells.start), cells.warning);
    EXPECT_EQ(cells.countdown, cells.warning - 1);
  }
  EXPECT_FALSE(slowdown_warned(1500));
  EXPECT_TRUE(slowdown_must_warn(32));
  EXPECT_FALSE(slowdown_must_warn(31));
}

TEST(ObjectRules, SpeedBoardPackingRoundTrips) {
  for (const int left : {0, 30, 75, 150}) {
    for (const int right : {0, 5, 50, 95}) {
      const auto packed = static_cast<int16_t>(packed_speeds(left, right));
      EXPECT_EQ(packed_left_speed(packed), left);
      EXPECT_EQ(packed_right_speed(packed), right);
    }
  }
  EXPECT_EQ(packed_speeds(60, 7), 1201);  // 7 / 5 rounds to 1
  EXPECT_EQ(packed_speeds(60, 12), 1202);
  const auto stripes = static_cast<int16_t>(packed_stripes(1, 2));
  EXPECT_EQ(stripes, 12);
  EXPECT_EQ(packed_left_stripes(stripes), 1);
  EXPECT_EQ(packed_right_stripes(stripes), 2);
}

TEST(ObjectRules, TunnelMarksRoundTrip) {
  for (const int64_t tipo : {0, 1, 3, 10, 11, 13, 20}) {
    const TunnelKind kind = tunnel_kind(tipo);
    EXPECT_EQ(tunnel_tipo(static_cast<uint8_t>(kind.type), kind.markers), tipo);
  }
  EXPECT_EQ(tunnel_tipo(200, false), -56);
  EXPECT_EQ(tunnel_kind(-56).type, -56);  // stored as its low byte, 200
  const TunnelCells cells = tunnel_cells(500, 1500);
  EXPECT_EQ(cells.first, 10);
  EXPECT_EQ(cells.last, 29);
  EXPECT_EQ(tunnel_start(cells.first), 500);
  EXPECT_EQ(tunnel_end(cells.last), 1500);
  EXPECT_FALSE(tunnel_marker_cell(10, 12));
  EXPECT_TRUE(tunnel_marker_cell(10, 13));
  EXPECT_TRUE(close_tunnel(1650, 1500));
  EXPECT_FALSE(close_tunnel(1651, 1500));
}

// An arc step is told apart from a straight one and from arcs of other
// curvatures by its bits.
TEST(ObjectRules, ArcStepIsToldByItsBits) {
  PlanPoint before{0, 0};
  PlanPoint last{0, 1};
  for (int m = 0; m < 50; ++m) {
    const PlanPoint next = arc_step(before, last, 0.0004);
    EXPECT_TRUE(same_point(next, arc_step(before, last, 0.0004)));
    EXPECT_FALSE(same_point(next, arc_step(before, last, 0.0002)));
    EXPECT_FALSE(same_point(next, straight_step(before, last)));
    before = last;
    last = next;
  }
  EXPECT_TRUE(same_point(straight_step({0, 0}, {0, 1}), {0, 2}));
}

}  // namespace
}  // namespace sc
