#include "model/serialize.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "model/object_rules.h"

namespace sc {
namespace {

TEST(Serialize, CellIsFifteenLittleEndianBytes) {
  Cell cell;
  cell.type_code = 6;
  cell.info1 = 1500;
  cell.info2 = -2;
  cell.info3 = 0x1234;
  cell.info4 = 10;
  cell.signal_time = 101;
  cell.mark = 81;
  cell.tunnel_type = 2;
  cell.speed_limit = 16;
  cell.gradient = 102;
  cell.adhesion = 100;
  std::string out;
  append_cell(out, cell);
  EXPECT_EQ(out, std::string("\x06\xDC\x05\xFE\xFF\x34\x12\x0A\x00\x65\x51\x02\x10\x66\x64", 15));
  EXPECT_EQ(read_cells(out), std::vector<Cell>{cell});
  EXPECT_EQ(serialize_cells(std::vector<Cell>(681)).size(), 10215u);
}

TEST(Serialize, TableEntryCarriesItsTextAfterALength) {
  TableEntry e;
  e.type_code = 12;
  e.value1 = -300;
  e.value2 = 300;
  e.value3 = 0;
  e.flag = 1;
  e.text = "AB";
  e.int1 = 1;
  e.int5 = -1;
  e.byte4 = 7;
  e.value4 = 31320;
  std::string out;
  append_table_entry(out, e);
  const std::string expected(
      "\x0C"
      "\xD4\xFE\xFF\xFF"
      "\x2C\x01\x00\x00"
      "\x00\x00\x00\x00"
      "\x01"
      "\x02\x00"
      "AB"
      "\x01\x00"
      "\x00\x00"
      "\x00\x00"
      "\x00\x00"
      "\xFF\xFF"
      "\x00\x00\x00\x07"
      "\x58\x7A\x00\x00",
      36);
  EXPECT_EQ(out, expected);
  ByteReader in(out);
  EXPECT_EQ(read_table_entry(in), e);
  EXPECT_TRUE(in.at_end());
}

TEST(Serialize, TableSizes) {
  ScenarioTable table{};
  std::string empty_entry;
  append_table_entry(empty_entry, table[0]);
  EXPECT_EQ(empty_entry.size(), 34u);
  EXPECT_EQ(serialize_table(table).size(), 2958u);
  table[entry::kLineHeader].text = "Vardeo_Lustrella";
  table[entry::kTrainHeader].text = "K7306";
  EXPECT_EQ(serialize_table(table).size(), 2979u);
}

TEST(Serialize, ProfileElementsAreTaggedXsThenYs) {
  Profile profile(2);
  profile.set_integer(0, Profile::kX, 0);
  profile.set_integer(1, Profile::kY, 1);
  profile.set_double(2, Profile::kY, 0.5);
  const std::string out = serialize_profile(profile);
  const std::string expected(
      "\x02\x00\x00\x00"                           // x0 = 0
      "\x00\x00"                                   // x1 empty
      "\x00\x00"                                   // x2 empty
      "\x00\x00"                                   // y0 empty
      "\x02\x00\x01\x00"                           // y1 = 1
      "\x05\x00\x00\x00\x00\x00\x00\x00\xE0\x3F",  // y2 = 0.5
      24);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(serialize_profile(read_profile(out)), out);
}

TEST(Serialize, LongProfileKeepsEveryElementInOrder) {
  // Mixed element sizes, so that elements straddle every internal buffer
  // boundary somewhere along the two million bytes.
  constexpr int32_t kLast = 100000;
  Profile profile(kLast);
  for (int32_t m = 0; m <= kLast; ++m) {
    if (m % 3 == 0) profile.set_double(m, Profile::kX, m + 0.5);
    if (m % 3 == 1) profile.set_integer(m, Profile::kX, static_cast<int16_t>(m));
    profile.set_double(m, Profile::kY, -m);
  }
  const std::string out = serialize_profile(profile);
  size_t at = 0;
  const auto next = [&](auto value) {
    std::memcpy(&value, out.data() + at, sizeof value);
    at += sizeof value;
    return value;
  };
  for (int k : {Profile::kX, Profile::kY}) {
    for (int32_t m = 0; m <= kLast; ++m) {
      ASSERT_LE(at + 2, out.size());
      const auto tag = static_cast<Profile::Tag>(next(uint16_t{}));
      ASSERT_EQ(tag, profile.tag(m, k)) << "point " << m;
      if (tag == Profile::Tag::kInteger) {
        ASSERT_EQ(next(int16_t{}), profile.value(m, k));
      } else if (tag == Profile::Tag::kDouble) {
        ASSERT_EQ(next(double{}), profile.value(m, k));
      }
    }
  }
  EXPECT_EQ(at, out.size());
  EXPECT_EQ(serialize_profile(read_profile(out)), out);
}

// The same steps computed one point at a time, as a profile set point by
// point.
Profile point_by_point(int32_t last_point, bool seeded, const std::vector<ProfileRun>& runs) {
  Profile profile(last_point);
  if (seeded) {
    for (int32_t m = 0; m < 2; ++m) {
      profile.set_integer(m, Profile::kX, Profile::kSeedX[m]);
      profile.set_integer(m, Profile::kY, Profile::kSeedY[m]);
    }
  }
  int32_t m = 2;
  for (const ProfileRun& run : runs) {
    for (; m <= run.last; ++m) {
      const PlanPoint before{profile.value(m - 2, Profile::kX), profile.value(m - 2, Profile::kY)};
      const PlanPoint last{profile.value(m - 1, Profile::kX), profile.value(m - 1, Profile::kY)};
      const PlanPoint next =
          run.arc ? arc_step(before, last, run.curvature) : straight_step(before, last);
      profile.set_double(m, Profile::kX, next.x);
      profile.set_double(m, Profile::kY, next.y);
    }
  }
  return profile;
}

TEST(Serialize, ProfileHeldAsRunsGivesTheBytesOfItsPointsComputedOneByOne) {
  const int32_t block = ProfileBlocks::kBlockPoints;
  struct Case {
    const char* name;
    int32_t last_point;
    bool seeded;
    std::vector<ProfileRun> runs;
  };
  const std::vector<Case> cases = {
      {"nothing computed", 9000, true, {}},
      {"not seeded", 9000, false, {}},
      {"one point", 10, true, {{.last = 2}}},
      {"runs across blocks, up to the last point",
       5 * block,
       true,
       {{.last = block - 3},
        {.last = block + 7, .arc = true, .curvature = 0.003},
        {.last = 3 * block, .arc = true, .curvature = -0.0001},
        {.last = 3 * block + 1},
        {.last = 4 * block + 1, .arc = true, .curvature = 0.002},
        {.last = 5 * block, .arc = true, .curvature = -0.001}}},
      {"straight runs one after another, stopping short",
       3 * block,
       true,
       {{.last = 100}, {.last = block}, {.last = block + 1, .arc = true, .curvature = 0.001}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Profile runs(c.last_point);
    if (c.seeded) runs.seed();
    for (const ProfileRun& run : c.runs) runs.add_run(run);
    const Profile points = point_by_point(c.last_point, c.seeded, c.runs);
    const std::string expected = serialize_profile(points);
    EXPECT_EQ(serialize_profile(runs), expected);
    // Reading a point builds them all; the profile still writes the same.
    for (int32_t m : {0, 1, 2, c.last_point / 2, c.last_point}) {
      for (int k : {Profile::kX, Profile::kY}) {
        ASSERT_EQ(runs.tag(m, k), points.tag(m, k)) << m;
        ASSERT_EQ(std::memcmp(&runs.values(k)[m], &points.values(k)[m], sizeof(double)), 0) << m;
      }
    }
    EXPECT_EQ(serialize_profile(runs), expected);
    // A point set on it makes it a profile of points, and keeps the others.
    runs.set_double(c.last_point, Profile::kY, 0.25);
    EXPECT_FALSE(runs.held_as_runs());
    EXPECT_EQ(serialize_profile(runs).substr(0, expected.size() - 10),
              expected.substr(0, expected.size() - 10));
  }
}

// Each reader says at which byte its file stops making sense.
TEST(Serialize, ReadersRefuseBytesThatDoNotFitTheirKind) {
  ScenarioTable table{};
  table[entry::kLineHeader].text = "Vardeo_Lustrella";
  const std::string table_bytes = serialize_table(table);
  std::string bad_tag("\x02\x00\x00\x00\x07\x00", 6);
  struct Case {
    const char* name;
    std::function<void()> read;
    size_t offset;
    const char* message;
  };
  const Case cases[] = {
      {"cells: empty", [] { read_cells(""); }, 0, "the file is empty"},
      {"cells: a cell cut short", [] { read_cells(std::string(40, '\0')); }, 30,
       "cell 2 is cut short"},
      {"table: one byte short", [&] { read_table(table_bytes.substr(0, table_bytes.size() - 1)); },
       table_bytes.size() - 4, "entry 86: the file ends inside `value4`"},
      {"table: 85's text cut short", [&] { read_table(table_bytes.substr(0, 85 * 34 + 20)); },
       85 * 34 + 16, "entry 85: the file ends inside `text`: 16 bytes needed, 4 left"},
      {"table: entries missing", [&] { read_table(table_bytes.substr(0, 34)); }, 34,
       "the file ends before entry 1"},
      {"table: bytes after entry 86", [&] { read_table(table_bytes + "x"); }, table_bytes.size(),
       "1 more bytes follow"},
      {"profile: unknown tag", [&] { read_profile(bad_tag); }, 4,
       "element 1 has the unknown tag 7"},
      {"profile: value cut short", [] { read_profile(std::string("\x05\x00\x01", 3)); }, 2,
       "inside `value`"},
      {"profile: x without y", [] { read_profile(std::string(6, '\0')); }, 6, "holds 3 elements"},
  };
  for (const Case& c : cases) {
    try {
      c.read();
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const DecodeError& e) {
      EXPECT_EQ(e.offset(), c.offset) << c.name;
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace sc
