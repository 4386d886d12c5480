#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "documents/documents.h"
#include "driver/pipeline.h"
#include "inspect/describe.h"
#include "inspect/file_kind.h"
#include "inspect/object_listing.h"
#include "inspect/summary.h"

namespace sc {
namespace {

const Scenario& builtin() {
  static const RunOutcome run =
      memorizza_percorso({render_document(dati_linea()), render_document(dati_treno())},
                         "Vardeo_Lustrella", "K7306", 1);
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
      {7, "cell 7 at 350 m: speed board: vas 75 km/h, vbs 80 km/h, vcs 80 km/h; vad 0 km/h"},
      {181, "cell 181 at 9050 m: tunnel marker; tunnel type 1; limit 80 km/h, gradient -3 \u2030"},
      {229,
       "cell 229 at 11450 m: signal: s1 x 10 + d1 = 42, s2 x 10 + d2 = 11, s3 x 10 + d3 = "
       "11, rapp x 10 + sx x 3 + dx = 5, time byte 0"},
      {680, "cell 680 at 34000 m: empty; limit 0 km/h, gradient -100 \u2030, adhesion 0"},
  };
  for (const auto& [index, start] : cases) {
    const std::string text = describe_cell(cells[static_cast<size_t>(index)], index);
    EXPECT_EQ(text.substr(0, start.size()), start) << text;
  }
}

TEST(Inspect, EntriesAreDescribedByRole) {
  const ScenarioTable& table = builtin().table;
  const std::pair<int, std::string> cases[] = {
      {0, "entry 0: empty"},
      {1,
       "entry 1: station 1 \"VARDEO\": type 12, position 0 m, from -300 m to 300 m, time "
       "08:42:00; flag 0, int1-int5 1 1 4 1 1, byte1-byte4 0 1 0 0"},
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
  EXPECT_THAT(listing, ::testing::StartsWith("route length: 27000 m\n0 m: station \"VARDEO\" (type "
                                             "12), from -300 m to 300 m, stop cell at 250 m, time "
                                             "08:42:00\n"));
  EXPECT_THAT(listing, ::testing::HasSubstr("300 m: speed board 75/80/80 km/h\n"));
  EXPECT_THAT(listing, ::testing::HasSubstr("11400 m: signal\n"));
}

TEST(Inspect, KindFromTheFileName) {
  EXPECT_EQ(kind_from_name("Vardeo_Lustrella_linea.dat"), FileKind::kProfile);
  EXPECT_EQ(kind_from_name("Vardeo_Lustrella_K7306.dat"), FileKind::kCells);
  EXPECT_EQ(kind_from_name("Vardeo_Lustrella_K7306.sim"), FileKind::kTable);
  EXPECT_EQ(kind_from_name("notes.txt"), std::nullopt);
}

}  // namespace
}  // namespace sc
