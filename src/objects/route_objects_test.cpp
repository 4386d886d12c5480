#include "objects/route_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/pipeline.h"

namespace sc::objects {
namespace {

// A 10 km route with the given rows in each file.
RouteObjects compiled(const std::string& line_rows, const std::string& train_rows) {
  const std::string line =
      "[generale]\r\nlunghezza percorso, 10000\r\nripetizione segnali 4 codici, 0, "
      "0\r\n[righe]\r\n" +
      line_rows + "[fine]\r\n";
  const std::string train =
      "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n" + train_rows + "[fine]\r\n";
  const RunOutcome run = memorizza_percorso({line, train}, "L", "T", ProfileChoice::kBuild);
  EXPECT_FALSE(run.errors.has_error());
  return decode_objects(run.model);
}

// Two slowdowns that overlap pair each start with the end of its own values:
// the second start lies between the first's start and end.
TEST(RouteObjects, OverlappingSlowdownsKeepTheirSpans) {
  const RouteObjects route = compiled("",
                                      "rallentamento, 2000, 60, 1000, 0, 0, 0\r\n"
                                      "rallentamento, 2500, 40, 1000, 0, 0, 0\r\n");
  ASSERT_EQ(route.slowdowns.size(), 2u);
  const struct {
    int64_t start, end, warning;
    int16_t speed;
  } expected[] = {{2000, 3000, 800, 60}, {2500, 3500, 1300, 40}};
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(route.slowdowns[i].start, expected[i].start);
    EXPECT_EQ(route.slowdowns[i].end, expected[i].end);
    EXPECT_EQ(route.slowdowns[i].warning, expected[i].warning);
    EXPECT_EQ(route.slowdowns[i].speed, expected[i].speed);
    EXPECT_FALSE(route.slowdowns[i].countdown);
  }
}

// A negative length ends before the start; a length of 0 leaves no end cell;
// a start at 1510 m is warned though its cell is that of 1500 m.
TEST(RouteObjects, SlowdownsOfEveryShape) {
  const RouteObjects route = compiled("",
                                      "rallentamento, 1510, 80, 50, 0, 1, 0\r\n"
                                      "rallentamento, 3000, 120, -500, 0, 1, 0\r\n"
                                      "rallentamento, 5000, 120, 0, 0, 0, 0\r\n");
  ASSERT_EQ(route.slowdowns.size(), 3u);
  EXPECT_EQ(route.slowdowns[0].start, 1510);
  EXPECT_EQ(route.slowdowns[0].warning, 300);
  EXPECT_TRUE(route.slowdowns[0].countdown);
  EXPECT_EQ(route.slowdowns[1].end, 2500);
  EXPECT_EQ(route.slowdowns[1].warning, 1800);
  EXPECT_EQ(route.slowdowns[2].end, 5000);
}

// Signals read back as their rows: negative s, a timed signal, and a mark
// code of 10 or more that only the approach marks tell.
TEST(RouteObjects, SignalsReadBackAsTheirRows) {
  const RouteObjects route = compiled("",
                                      "segnale, 3000, 1, -1, 1, 1, 0, 2, 1, 1, 1, 0\r\n"
                                      "segnale, 4000, 2, 3, 1, 1, 4, 1, 2, 1, 1, 300\r\n"
                                      "segnale, 5000, 3, 1, 1, 1, 2, 1, 0, 0, 0, 0\r\n");
  ASSERT_EQ(route.signals.size(), 3u);
  const auto values = [](const Signal& s) {
    return std::vector<int64_t>{s.position, s.sx, s.s1, s.s2, s.s3,   s.rapp,
                                s.dx,       s.d1, s.d2, s.d3, s.tempo};
  };
  EXPECT_EQ(values(route.signals[0]), (std::vector<int64_t>{3000, 1, -1, 1, 1, 0, 2, 1, 1, 1, 0}));
  EXPECT_EQ(values(route.signals[1]), (std::vector<int64_t>{4000, 2, 3, 1, 1, 4, 1, 2, 1, 1, 300}));
  EXPECT_EQ(values(route.signals[2]), (std::vector<int64_t>{5000, 3, 1, 1, 1, 2, 1, 0, 0, 0, 0}));
  EXPECT_TRUE(route.signals[1].timed());
}

TEST(RouteObjects, StationsBoardsTunnelsAndPoints) {
  const RouteObjects route = compiled(
      "indicatori_vmax, 1300, 60, 70, 80, 1, 5, 0, 0, 2\r\nindicatore cartello, 3300, Bivio\r\n"
      "montagna, 500, 1500, 11\r\n",
      "stazione, 4000, 12, 200, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 8, 30, 0, Uno\r\n"
      "stazione, 6000, 5, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 35, 0, Due\r\n"
      "abbattimento, 7000, 250\r\nabbattimento, 7500, 0\r\n");
  ASSERT_EQ(route.stations.size(), 2u);
  EXPECT_EQ(route.stations[0].start, 3900);
  EXPECT_EQ(route.stations[0].end, 4150);
  EXPECT_EQ(route.stations[0].length, 200);
  EXPECT_EQ(route.stations[0].stop_cell, 82);
  EXPECT_EQ(clock_time(route.stations[0].time), "08:30:00");
  EXPECT_EQ(route.stations[1].start, 5700);
  EXPECT_EQ(route.stations[1].end, 6150);
  ASSERT_EQ(route.speed_boards.size(), 1u);
  EXPECT_EQ(route.speed_boards[0].position, 1300);
  EXPECT_EQ(route.speed_boards[0].vas, 60);
  EXPECT_EQ(route.speed_boards[0].vad, 5);
  EXPECT_EQ(route.speed_boards[0].strisces, 1);
  EXPECT_EQ(route.speed_boards[0].strisced, 2);
  ASSERT_EQ(route.text_boards.size(), 1u);
  EXPECT_EQ(route.text_boards[0].position, 3300);
  EXPECT_EQ(route.text_boards[0].text, "Bivio");
  ASSERT_EQ(route.tunnels.size(), 1u);
  EXPECT_EQ(route.tunnels[0].start, 500);
  EXPECT_EQ(route.tunnels[0].end, 1500);
  EXPECT_EQ(route.tunnels[0].type, 1);
  ASSERT_EQ(route.code_points.size(), 2u);
  EXPECT_EQ(route.code_points[0].position, 7000);
  EXPECT_EQ(route.code_points[0].code, 250);
  EXPECT_EQ(route.code_points[1].code, std::nullopt);
  ASSERT_EQ(route.speed_limits.size(), 1u);
  EXPECT_EQ(route.speed_limits[0].value, 100);
}

}  // namespace
}  // namespace sc::objects
