#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "documents/documents.h"
#include "driver/pipeline.h"
#include "inspect/describe.h"
#include "inspect/file_kind.h"
#include "inspect/object_listing.h"
#include "inspect/record_values.h"
#include "inspect/summary.h"

namespace sc {
namespace {

const Scenario& builtin() {
  static const RunOutcome run =
      memorizza_percorso({render_document(dati_linea()), render_document(dati_treno())},
                         "Vardeo_Lustrella", "K7306", ProfileChoice::kBuild);
  return run.model;
}

TEST(Inspect, CellsAreDescribedInWords) {
  const auto& cells = builtin().cells;
  const std::pair<int, std::string> cases[] = {
      {1, "cell 1 at 50 m: empty; format marker 5121, check code "},
      {5,
       "cell 5 at 250 m: station stop of station 1; limit 80 km/h, gradient +2 \u2030, adhesion "
       "100"},
      {4,
       "cell 4 at 200 m: empty; approach mark 81 (code 8, step 1); limit 80 km/h, gradient +2 "
       "\u2030, adhesion 100"},
      {7,
       "cell 7 at 350 m: speed board: vas 75 km/h, vbs 80 km/h, vcs 80 km/h, strisces 0; vad 0 "
       "km/h, vbd 0 km/h, vcd 0 km/h, strisced 0; limit"},
      {165, "cell 165 at 8250 m: speed board: vas 70 km/h, vbs 75 km/h, vcs 75 km/h, strisces 1; "},
      {181, "cell 181 at 9050 m: tunnel marker; tunnel type 1; limit 80 km/h, gradient -3 \u2030"},
      {229,
       "cell 229 at 11450 m: signal: sx = 1, s1 = 4, s2 = 1, s3 = 1, rapp = 0, dx = 2, d1 = 2, "
       "d2 = 1, d3 = 1 (stored 42, 11, 11, 5), time byte 0"},
      {245, "cell 245 at 12250 m: signal: sx = 2, s1 = 3, s2 = 1, s3 = 1, rapp = 0, dx = 2"},
      {680, "cell 680 at 34000 m: empty; limit 0 km/h, gradient -100 \u2030, adhesion 0"},
  };
  for (const auto& [index, start] : cases) {
    const std::string text = describe_cell(cells, index);
    EXPECT_EQ(text.substr(0, start.size()), start) << text;
  }
}

TEST(Inspect, EntriesAreDescribedByRole) {
  const ScenarioTable& table = builtin().table;
  const std::pair<int, std::string> cases[] = {
      {0, "entry 0: empty"},
      {1,
       "entry 1: station 1 \"VARDEO\": type 12, position 0 m, from -300 m to 300 m, time "
       "08:42:00; value 4 = 0, value 5 = 0, end extension = 0, value 7 = 1, value 8 = 1, value 9 "
       "= 0, value 10 = 4, value 11 = 1, value 12 = 1, value 13 = 1"},
      {3, "entry 3: station 3 \"TOLMERA\": type 28"},
      {9, "entry 9: empty"},
      {81, "entry 81: km reference \"tre\": A 0, B 0, C 0"},
      {84, "entry 84: braked mass 125 %, route length 27000 m, cars 2"},
      {85,
       "entry 85: line \"Vardeo_Lustrella\": background uno 0, tre 1, due 0; format marker "
       "610, check code "},
      {86,
       "entry 86: train \"K7306\": signal repetition 0 m and 0 m, code 0; sand 50; clock "
       "08:41:00"},
  };
  for (const auto& [index, start] : cases) {
    const std::string text = describe_entry(table, index);
    EXPECT_EQ(text.substr(0, start.size()), start) << text;
  }

  ScenarioTable odd{};
  odd[80].text = "RALLENTARE";
  odd[84].int2 = 7;
  odd[0].text = "\xC8";
  EXPECT_EQ(describe_entry(odd, 80), "entry 80: text board \"RALLENTARE\"");
  EXPECT_EQ(describe_entry(odd, 84),
            "entry 84: braked mass 0 %, route length 0 m, cars 0; also int2 7");
  EXPECT_EQ(describe_entry(odd, 0), "entry 0: empty; also text \"\u00C8\"");
}

TEST(Inspect, ProfilePointsGiveBothCoordinatesAndTheirKind) {
  const Profile& profile = *builtin().profile;
  EXPECT_EQ(describe_point(profile, 0), "point 0 m: x 0 m (integer), y 0 m (integer)");
  EXPECT_EQ(describe_point(profile, 100), "point 100 m: x 0.000 m, y 100.000 m");
  EXPECT_EQ(describe_point(profile, 34000), "point 34000 m: x empty, y empty");
}

TEST(Inspect, SummaryAndListingOfTheBuiltInRoute) {
  const objects::RouteObjects route = objects::decode_objects(builtin());
  EXPECT_EQ(route_summary(route),
            "route length: 27000 m\n"
            "stations: 8, first \"VARDEO\" at 08:42:00, last \"LUSTRELLA\" at 09:13:00\n"
            "signals: 4\n"
            "slowdowns: 0\n"
            "speed boards: 6\n"
            "text boards: 0\n"
            "tunnels: 4\n"
            "code-change points: 0\n");
  const std::string listing = object_listing(route);
  EXPECT_THAT(listing,
              ::testing::StartsWith("route length: 27000 m\n0 m: station \"VARDEO\" (type "
                                    "12, stop), from -300 m to 300 m, stop cell at 250 m, time "
                                    "08:42:00\n"));
  // Boards and signals are listed at their rows' positions and land a cell on;
  // the values that change at one metre share a line.
  EXPECT_THAT(listing, ::testing::HasSubstr("\n0 m: gradient +2 \u2030, line speed 80 km/h, "
                                            "adhesion 100\n300 m: speed board 75/80/80 km/h, "
                                            "lands at 350 m\n350 m: gradient 0 \u2030\n"));
  EXPECT_THAT(listing, ::testing::HasSubstr("\n11400 m: signal, lands at 11450 m\n"));
  // A type from 25 up places no stop cell: the train passes.
  EXPECT_THAT(listing, ::testing::HasSubstr("\n6350 m: station \"BODREA\" (type 28, pass), from "
                                            "6250 m to 6450 m, time 08:48:00\n"));
}

// Slowdowns, text boards and signals, off the grid as well as on it: each
// lands in the cell its row's position rounds to, one on from the position
// listed. A timed signal shows its time.
TEST(Inspect, ListingSaysWhereSlowdownsAndBoardsLand) {
  const RunOutcome run = memorizza_percorso(
      {"[generale]\r\nlunghezza percorso, 6000\r\n[cartelli]\r\n"
       "indicatore cartello, 2975, STAZIONE\r\n[fine]\r\n",
       "[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n"
       "rallentamento, 2000, 60, 1000, 0, 1, 0\r\nrallentamento, 1500, 40, 200, 0, 0, 0\r\n"
       "rallentamento, 5000, 120, 0, 0, 0, 0\r\n"
       "segnale, 4020, 1, 4, 1, 1, 0, 2, 2,1,1, 0\r\n"
       "segnale, 4500, 2, 3, 1, 1, 0, 2, 2,1,1, 30\r\n[fine]\r\n"},
      "L", "T", ProfileChoice::kBuild);
  ASSERT_EQ(run.errors.error_number(), 0);
  const std::string listing = object_listing(objects::decode_objects(run.model));
  for (const char* line : {
           "\n1500 m: slowdown to 40 km/h up to 1700 m; lands from 1550 m to 1750 m\n",
           "\n2000 m: slowdown to 60 km/h up to 3000 m, warning at 800 m, with countdown; lands "
           "from 2050 m to 3050 m, warning at 850 m\n",
           "\n2950 m: text board \"STAZIONE\", lands at 3000 m\n",
           "\n4000 m: signal, lands at 4050 m\n",
           "\n4500 m: timed signal, tempo 101, lands at 4550 m\n",
           "\n5000 m: slowdown to 120 km/h up to 5000 m, warning at 3800 m; lands at 5050 m, "
           "warning at 3850 m\n",
       }) {
    EXPECT_THAT(listing, ::testing::HasSubstr(line));
  }
}

// The dump's text collapses runs of empty cells that carry the same values,
// and runs of empty entries; anything else keeps a line of its own.
TEST(Inspect, RunsOfEmptyRecordsTakeOneLine) {
  std::vector<Cell> cells(9, Cell{.speed_limit = 16, .gradient = 100, .adhesion = 100});
  cells[4].gradient = 105;
  cells[5].gradient = 105;
  cells[6].type_code = cell_type::kTunnelMarker;
  cells[8].mark = 81;
  EXPECT_EQ(describe_cells(cells, 0, 8),
            (std::vector<std::string>{
                "cell 0 at 0 m: empty; limit 80 km/h, gradient 0 \u2030, adhesion 100",
                "cell 1 at 50 m: empty; format marker 0, check code 0; limit 80 km/h, gradient 0 "
                "\u2030, adhesion 100",
                "cells 2\u20133 from 100 m to 200 m: empty; limit 80 km/h, gradient 0 \u2030, "
                "adhesion 100",
                "cells 4\u20135 from 200 m to 300 m: empty; limit 80 km/h, gradient +5 \u2030, "
                "adhesion 100",
                "cell 6 at 300 m: tunnel marker; limit 80 km/h, gradient 0 \u2030, adhesion 100",
                "cell 7 at 350 m: empty; limit 80 km/h, gradient 0 \u2030, adhesion 100",
                "cell 8 at 400 m: empty; approach mark 81 (code 8, step 1); limit 80 km/h, "
                "gradient 0 \u2030, adhesion 100",
            }));
  // A range that starts or ends inside a run shows only its part.
  EXPECT_EQ(describe_cells(cells, 3, 4).size(), 2u);

  const std::vector<std::string> entries = describe_entries(builtin().table, 0, 86);
  ASSERT_EQ(entries.size(), 1u + 8 + 1 + 6);
  EXPECT_EQ(entries[0], "entry 0: empty");
  EXPECT_EQ(entries[9], "entries 9\u201380: empty");
  EXPECT_EQ(entries[10].substr(0, 9), "entry 81:");
  ScenarioTable odd{};
  odd[0].int2 = 7;  // not cleared: a line of its own
  EXPECT_EQ(describe_entries(odd, 0, 2),
            (std::vector<std::string>{"entry 0: empty; also int2 7", "entries 1\u20132: empty"}));
}

// The names the dump gives a station's stored values must be those of the
// values the compiler stored there: a row with a different number in each
// value reads back in row order.
TEST(Inspect, StationValuesReadBackUnderTheirRowNames) {
  const RunOutcome run = memorizza_percorso(
      {"[generale]\r\nlunghezza percorso, 6000\r\n[fine]\r\n",
       "[generale]\r\nstazione, 3000, 12, 600, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 8, 0, 0, "
       "X\r\nstazione, 5000, 12, 600, 200, 5, 6, -7, 8, 9, 10, 11, 12, 13, 8, 9, 0, Y\r\n"
       "[fine]\r\n"},
      "L", "T", ProfileChoice::kBuild);
  ASSERT_EQ(run.errors.error_number(), 0);
  const auto read_back = [&](int entry) {
    std::string text;
    for (const NamedValue& v : stored_station_values(run.model.table[entry])) {
      text += std::string(v.name) + "=" + std::to_string(v.value) + " ";
    }
    return text;
  };
  // The first station keeps neither value 5 nor its end extension.
  EXPECT_EQ(read_back(1),
            "value 4=4 value 5=0 end extension=0 value 7=7 value 8=8 value 9=9 value 10=10 "
            "value 11=11 value 12=12 value 13=13 ");
  EXPECT_EQ(read_back(2),
            "value 4=200 value 5=5 end extension=6 value 7=-7 value 8=8 value 9=9 value 10=10 "
            "value 11=11 value 12=12 value 13=13 ");
}

// A signal's packed values read back as its row's values wherever the
// simulator can unpack them, and as values that pack the same otherwise.
TEST(Inspect, SignalValuesReadBackInRowOrder) {
  const struct {
    Cell cell;
    std::vector<int64_t> values;  // sx, s1, s2, s3, rapp, dx, d1, d2, d3
  } cases[] = {
      {{.type_code = 1, .info1 = 42, .info2 = 11, .info3 = 11, .info4 = 5},
       {1, 4, 1, 1, 0, 2, 2, 1, 1}},
      // A timed signal is sx 2 whatever its code.
      {{.type_code = 1, .info1 = 0, .info2 = 9, .info3 = 90, .info4 = 37, .signal_time = 101},
       {2, 0, 0, 9, 3, 1, 0, 9, 0}},
      // Negative packed values: d stays 0 to 9.
      {{.type_code = 1, .info1 = -7, .info2 = -10, .info3 = 0, .info4 = -2},
       {2, -1, -1, 0, -1, 2, 3, 0, 0}},
  };
  for (const auto& c : cases) {
    std::vector<int64_t> values;
    std::vector<std::string_view> names;
    for (const NamedValue& v : signal_values(objects::decode_signal(c.cell, 0, std::nullopt))) {
      values.push_back(v.value);
      names.push_back(v.name);
    }
    EXPECT_EQ(values, c.values) << c.cell.info4;
    EXPECT_EQ(names, (std::vector<std::string_view>{"sx", "s1", "s2", "s3", "rapp", "dx", "d1",
                                                    "d2", "d3"}));
  }
}

TEST(Inspect, KindFromTheFileName) {
  EXPECT_EQ(kind_from_name("Vardeo_Lustrella_linea.dat"), FileKind::kProfile);
  EXPECT_EQ(kind_from_name("Vardeo_Lustrella_K7306.dat"), FileKind::kCells);
  EXPECT_EQ(kind_from_name("Vardeo_Lustrella_K7306.sim"), FileKind::kTable);
  EXPECT_EQ(kind_from_name("notes.txt"), std::nullopt);
}

}  // namespace
}  // namespace sc
