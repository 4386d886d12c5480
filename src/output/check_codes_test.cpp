#include "output/check_codes.h"

#include <gtest/gtest.h>

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
  // Empty identifiers: the first 25 padding letters.
  const std::string padding = "kkzzyyxxwwvvuuttssrrqqppj";
  int og = 0;
  int st = 0;
  for (size_t i = 0; i < padding.size(); ++i) {
    og += padding[i];
    st += static_cast<int>(i + 1) * padding[i];
  }
  EXPECT_EQ(codice_gara_og(named("", "")), og);
  EXPECT_EQ(codice_gara_st(named("", "")), st);
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
  EXPECT_EQ(model.table[entry::kLineHeader].int1, 610);
  EXPECT_EQ(model.cells[1].info1, 5121);
  EXPECT_EQ(model.table[entry::kLineHeader].value4, codice_gara_st(model.table));
  EXPECT_EQ(model.cells[1].info2, codice_gara_og(model.table));

  struct Case {
    void (*taint)(Scenario&);
    int fatal;
  };
  const Case cases[] = {
      {[](Scenario& m) { m.cells[1].info1 = 42; }, 1250},
      {[](Scenario& m) { m.table[entry::kLineHeader].int1 = 1; }, 1250},
      {[](Scenario& m) { m.cells[1].info2 = 11; }, 1251},
      {[](Scenario& m) { m.table[entry::kLineHeader].value4 = 5; }, 1251},
  };
  for (const Case& c : cases) {
    Scenario fresh;
    fresh.cells.resize(141);
    c.taint(fresh);
    EXPECT_EQ(store_markers_and_codes(fresh), c.fatal);
  }
}

}  // namespace
}  // namespace sc
