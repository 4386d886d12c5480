#include "output/check_codes.h"

#include <gtest/gtest.h>

#include "model/error_catalogue.h"

namespace sc {
namespace {

ScenarioTable named(const std::string& line, const std::string& train) {
  ScenarioTable table{};
  table[entry::kLineHeader].text = line;
  table[entry::kTrainHeader].text = train;
  return table;
}

TEST(CheckCodes, MatchTheWorkedExample) {
  const ScenarioTable table = named("nopqrstuvwxyz", "abcdefghijklm");
  EXPECT_EQ(codice_gara_og(table), 2725);
  EXPECT_EQ(codice_gara_st(table), 36725);
}

TEST(CheckCodes, IgnoreCaseAndPadShortKeys) {
  EXPECT_EQ(codice_gara_st(named("DE", "ABC")), codice_gara_st(named("de", "abc")));
  EXPECT_EQ(codice_gara_og(named("DE", "ABC")), codice_gara_og(named("de", "abc")));
  // Swapping short identifiers keeps the plain sum but not the weighted one.
  EXPECT_EQ(codice_gara_og(named("abc", "de")), codice_gara_og(named("de", "abc")));
  EXPECT_NE(codice_gara_st(named("abc", "de")), codice_gara_st(named("de", "abc")));
  // Empty identifiers: the first 25 padding letters, "kkzzyyxxwwvvuuttssrrqqppj".
  EXPECT_EQ(codice_gara_og(named("", "")), 2894);
  EXPECT_EQ(codice_gara_st(named("", "")), 37280);
  // Only the first 25 characters count, train number first.
  EXPECT_EQ(codice_gara_st(named("nopqrstuvwxyzEXTRA", "abcdefghijklm")), 36725);
  // Accented capitals lower in the Windows-1252 code page.
  EXPECT_EQ(codice_gara_st(named("\xC0", "x")), codice_gara_st(named("\xE0", "x")));
}

TEST(CheckCodes, StoresMarkersAndCodesOrRefusesTakenSlots) {
  Scenario model;
  model.cells.resize(141);
  model.table = named("Vardeo_Lustrella", "K7306");
  ASSERT_EQ(store_markers_and_codes(model), 0);
  EXPECT_EQ(model.table[entry::kLineHeader].*slot::kFormatMarker, 610);
  EXPECT_EQ(model.cells[1].info1, 5121);
  EXPECT_EQ(model.table[entry::kLineHeader].*slot::kCheckCode, 34823);
  EXPECT_EQ(model.cells[1].info2, 2493);

  struct Case {
    void (*taint)(Scenario&);
    ErrorCode fatal;
  };
  const Case cases[] = {
      {[](Scenario& m) { m.cells[1].info1 = 42; }, ErrorCode::kFormatMarkerSlotTaken},
      {[](Scenario& m) { m.table[entry::kLineHeader].int1 = 1; },
       ErrorCode::kFormatMarkerSlotTaken},
      {[](Scenario& m) { m.cells[1].info2 = 11; }, ErrorCode::kCheckCodeSlotTaken},
      {[](Scenario& m) { m.table[entry::kLineHeader].value4 = 5; }, ErrorCode::kCheckCodeSlotTaken},
  };
  for (const Case& c : cases) {
    Scenario fresh;
    fresh.cells.resize(141);
    c.taint(fresh);
    EXPECT_EQ(store_markers_and_codes(fresh), error_number(c.fatal));
  }
}

}  // namespace
}  // namespace sc
