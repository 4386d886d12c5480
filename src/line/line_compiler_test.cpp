#include "line/line_compiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line/compile_for_test.h"
#include "line/route_profile.h"

namespace sc {
namespace {

using testing::compile;
using testing::Compiled;
using testing::line_file;

std::string repeated(std::string_view row, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += row;
  return out;
}

// Text boards B1, B2, ... at 100 m, 200 m, ...
std::string text_boards(int count) {
  std::string rows;
  for (int i = 1; i <= count; ++i) {
    rows += "indicatore cartello, " + std::to_string(100 * i) + ", B" + std::to_string(i) + "\r\n";
  }
  return rows;
}

// Every error of the line half: its number, its position, and whether the
// train half would still run.
TEST(LineCompilerErrors, EachErrorStopsOrFinishesAsItShould) {
  constexpr int kUnset = 0;
  struct Case {
    std::string name;
    std::string text;
    ErrorCode error;
    int32_t position;
    Flow end;
  };
  const std::string two_text_boards =
      "indicatore cartello, 300, Uno\r\nindicatore cartello, 320, Due\r\n";
  const std::string two_speed_boards =
      "indicatori_vmax, 300, 75,80,80,0,,,,0\r\nindicatori_vmax, 320, 75,80,80,0,,,,0\r\n";
  const std::vector<Case> cases = {
      {"route too long", line_file("", "", 1000001), ErrorCode::kRouteLength, kUnset, Flow::kStop},
      {"route below 0", line_file("", "", -1), ErrorCode::kRouteLength, kUnset, Flow::kStop},
      {"first repetition value", line_file("", "ripetizione segnali 4, 75, 0\r\n"),
       ErrorCode::kRepetitionFirstValue, kUnset, Flow::kStop},
      {"second repetition value", line_file("", "ripetizione segnali 4, 0, 30\r\n"),
       ErrorCode::kRepetitionSecondValue, kUnset, Flow::kStop},
      {"no repetition code", line_file("", "ripetizione segnali, 0, 0\r\n"),
       ErrorCode::kRepetitionCode, kUnset, Flow::kStop},
      {"text board on a taken cell", line_file(two_text_boards), ErrorCode::kTextBoardCellTaken,
       320, Flow::kStop},
      {"text board on a speed board",
       line_file("indicatori_vmax, 300, 75,80,80,0,,,,0\r\nindicatore cartello, 320, T\r\n"),
       ErrorCode::kTextBoardCellTaken, 320, Flow::kStop},
      {"gradient beyond the route", line_file("pendenza, 7901, 0\r\n"), ErrorCode::kBeyondRoute,
       7901, Flow::kGoOn},
      {"curve beyond the route", line_file("curvad4, 7901, 50\r\n"), ErrorCode::kBeyondRoute, 7901,
       Flow::kGoOn},
      {"tunnel beyond the route", line_file("montagna, 8000, 8100, 1\r\n"), ErrorCode::kBeyondRoute,
       8000, Flow::kGoOn},
      {"speed board beyond the route", line_file("indicatori_vmax, 7950, 1,1,1,0,,,,0\r\n"),
       ErrorCode::kBeyondRoute, 7950, Flow::kGoOn},
      {"text board beyond the route", line_file("indicatore cartello, 9000, T\r\n"),
       ErrorCode::kBeyondRoute, 9000, Flow::kGoOn},
      {"speed board on a taken cell", line_file(two_speed_boards), ErrorCode::kSpeedBoardCellTaken,
       320, Flow::kStop},
      {"81st text board", line_file(text_boards(81), "", 10000), ErrorCode::kNoBoardEntry, 8100,
       Flow::kStop},
      {"no [generale]", "[curve]\r\npendenza, 0, 1\r\n", ErrorCode::kNoGeneralSection, kUnset,
       Flow::kStop},
      {"[generale] as the last field", "lunghezza percorso, 1000\r\n[generale]\r\n",
       ErrorCode::kNoGeneralSection, kUnset, Flow::kStop},
      {"curve without a class", line_file("curvad7, 300, 50\r\n"), ErrorCode::kCurve, kUnset,
       Flow::kStop},
      {"curve past point 1000000", line_file("curvad1, 999900, 200\r\n", "", 1000000),
       ErrorCode::kCurve, kUnset, Flow::kStop},
      {"run-up past point 1000000", line_file("curvad1, 1000100, 10\r\n", "", 1000000),
       ErrorCode::kCurve, kUnset, Flow::kStop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Compiled out = compile(c.text);
    ASSERT_FALSE(out.fault.has_value()) << out.fault->what();
    EXPECT_EQ(out.errors.error_number(), error_number(c.error));
    EXPECT_EQ(out.errors.error_position(), c.position);
    EXPECT_EQ(out.result.end, c.end);
    ASSERT_EQ(out.errors.diagnostics().size(), 1u);
    EXPECT_EQ(out.errors.diagnostics()[0].source, Source::kLineFile);
  }
}

TEST(LineCompilerErrors, LimitsThemselvesAreAccepted) {
  // Route of 1000 m: cells 0 to 160, so positions up to 7900 pass.
  for (int32_t p : {7900, -200}) {
    const Compiled out = compile(line_file("pendenza, " + std::to_string(p) + ", 1\r\n"));
    EXPECT_EQ(out.error(), 0) << p;
  }
  const Compiled accepted = compile(line_file("", "", 1000000), ProfileChoice::kWithout);
  EXPECT_EQ(accepted.error(), 0);
  EXPECT_EQ(accepted.model.cells.size(), 20141u);
}

// Run-time faults leave the compile call as Fault, for the caller's error 25;
// every one of them carries the place of the field at fault.
TEST(LineCompilerErrors, FaultsCarryTheFieldLocation) {
  struct Case {
    std::string name;
    std::string text;
    ProfileChoice profile;
    SourceLocation where;
  };
  const std::vector<Case> cases = {
      {"empty file", "", ProfileChoice::kBuild, {1, 1}},
      {"hyphen fields run past the end",
       "[generale]\r\n-a\r\n-b\r\n",
       ProfileChoice::kBuild,
       {4, 1}},
      {"not a number", line_file("pendenza, 12a, 1\r\n"), ProfileChoice::kBuild, {4, 11}},
      {"number too large",
       line_file("pendenza, 2147483648, 1\r\n"),
       ProfileChoice::kBuild,
       {4, 11}},
      {"row before any route length",
       "[generale]\r\n[x]\r\npendenza, 100, 1\r\n[fine]\r\n",
       ProfileChoice::kWithout,
       {3, 11}},
      {"profile without a route length",
       "[generale]\r\nsfondo uno, 1\r\n[x]\r\n",
       ProfileChoice::kBuild,
       {3, 1}},
      {"tunnel starting before the route",
       line_file("montagna, -500, 100, 1\r\n"),
       ProfileChoice::kBuild,
       {4, 11}},
      {"board before the route",
       line_file("indicatore cartello, -100, T\r\n"),
       ProfileChoice::kBuild,
       {4, 22}},
      {"gradients piling up past the last cell",
       line_file(repeated("pendenza, 7900, 1\r\n", 5)),
       ProfileChoice::kBuild,
       {8, 11}},
      {"speed value does not fit 16 bits",
       line_file("indicatori_vmax, 300, 1639, 0, 0, 0, 20, , , 0\r\n"),
       ProfileChoice::kBuild,
       {4, 23}},
      {"stripes do not fit 16 bits",
       line_file("indicatori_vmax, 300, 0, 0, 0, 3277, , , , 0\r\n"),
       ProfileChoice::kBuild,
       {4, 32}},
      {"reference overflows with its 100 m",
       line_file("", "progressiva chilometrica uno, 50, 2147483600, 1\r\n"),
       ProfileChoice::kBuild,
       {3, 35}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Compiled out = compile(c.text, c.profile);
    ASSERT_TRUE(out.fault.has_value());
    EXPECT_EQ(out.fault->where(), c.where) << out.fault->what();
  }
}

TEST(LineCompilerErrors, DiagnosticsNameTheField) {
  const Compiled beyond = compile(line_file("pendenza,  100, 1\r\npendenza,  7901, 0\r\n"));
  ASSERT_EQ(beyond.errors.diagnostics().size(), 1u);
  const Finding& d = beyond.errors.diagnostics()[0];
  EXPECT_EQ(d.location, (SourceLocation{5, 12}));
  EXPECT_TRUE(d.position.has_value());
  EXPECT_EQ(d.message,
            "position 7901 lies beyond the route: the route is 1000 m long, and its cells run "
            "on through the 7000 m run-out after it to cell 160, so the last position a "
            "gradient row may have is 7900, in the run-out, where the train has left the route");

  const Compiled no_code =
      compile(line_file("", "sfondo uno, 0\r\n  ripetizione segnali, 0, 0\r\n"));
  ASSERT_EQ(no_code.errors.diagnostics().size(), 1u);
  EXPECT_EQ(no_code.errors.diagnostics()[0].location, (SourceLocation{4, 3}));
  EXPECT_NE(no_code.errors.diagnostics()[0].message.find("\"4\" or \"9\""), std::string::npos);
}

// The profile's seed is what the decompiler looks for; a changed point is not.
TEST(LineCompiler, TheProfileStartsWithItsSeed) {
  const Compiled out = compile(line_file(""));
  Profile profile = *out.model.profile;
  EXPECT_TRUE(seeded(profile));
  profile.set_double(1, Profile::kY, 1.0);
  EXPECT_FALSE(seeded(profile));
}

TEST(LineCompilerErrors, TheFirstErrorStopsTheRows) {
  const Compiled out = compile(line_file("pendenza, 7901, 0\r\ncurvad7, 100, 50\r\n"));
  EXPECT_EQ(out.errors.error_number(), error_number(ErrorCode::kBeyondRoute));
  EXPECT_EQ(out.errors.diagnostics().size(), 1u);
  // The end step ran: the gradient tail reached cell 157.
  EXPECT_EQ(out.model.cells[157].gradient, 100);
  EXPECT_EQ(out.model.profile->tag(7998, Profile::kX), Profile::Tag::kDouble);

  const Compiled stopped = compile(line_file("curvad7, 100, 50\r\npendenza, 500, 1\r\n"));
  EXPECT_EQ(stopped.errors.error_number(), error_number(ErrorCode::kCurve));
  EXPECT_EQ(stopped.model.cells[0].gradient, 0);  // no row after it, no tail
  EXPECT_EQ(stopped.model.profile->tag(2, Profile::kX), Profile::Tag::kEmpty);
}

TEST(LineCompilerHeader, KeywordCaseRules) {
  const Compiled out = compile(
      "[generale]\r\nLUNGHEZZA PERCORSO, 500\r\n"
      "Progressiva chilometrica uno, 50, 50, 0\r\n"
      "SFONDO UNO, 7\r\nsfondo Due, 8\r\nsfondo tre, 9\r\n"
      "RIPETIZIONE SEGNALI 4, 50, 50\r\n[x]\r\n[fine]\r\n");
  ASSERT_EQ(out.error(), 0);
  EXPECT_EQ(out.model.table[84].value2, 500);
  EXPECT_EQ(out.model.cells.size(), 151u);
  EXPECT_EQ(out.model.table[83], TableEntry{});
  EXPECT_EQ(out.model.table[85].value1, 0);
  EXPECT_EQ(out.model.table[85].value2, 9);
  EXPECT_EQ(out.model.table[85].value3, 0);
  EXPECT_EQ(out.model.table[86], TableEntry{});
}

TEST(LineCompilerHeader, AFieldMatchingSeveralTestsRunsEach) {
  const Compiled out = compile(line_file("", "sfondo uno due, 4, 5\r\n"));
  ASSERT_EQ(out.error(), 0);
  EXPECT_EQ(out.model.table[85].value1, 4);
  EXPECT_EQ(out.model.table[85].value3, 5);
}

TEST(LineCompilerHeader, SignalRepetitionCode) {
  struct Case {
    std::string row;
    int32_t code;
  };
  const std::vector<Case> cases = {
      {"ripetizione segnali 4 codici, 0, 0", 0},
      {"ripetizione segnali 4 codici, 100, 50", 4},
      {"ripetizione segnali 9 4, 100, 50", 4},
      {"ripetizione segnali 9, 100, 50", 9},
  };
  for (const Case& c : cases) {
    const Compiled out = compile(line_file("", c.row + "\r\n"));
    ASSERT_EQ(out.error(), 0) << c.row;
    EXPECT_EQ(out.model.table[86].value3, c.code) << c.row;
  }
  // The values stay stored even when the row fails.
  const Compiled failed = compile(line_file("", "ripetizione segnali 4, 50, 75\r\n"));
  EXPECT_EQ(failed.errors.error_number(), error_number(ErrorCode::kRepetitionSecondValue));
  EXPECT_EQ(failed.model.table[86].value1, 50);
  EXPECT_EQ(failed.model.table[86].value2, 75);
}

TEST(LineCompilerHeader, HyphenFieldsAndSectionLines) {
  // Ten hyphen fields are skipped; the eleventh is tested as it stands.
  const Compiled eleventh = compile("[generale]\r\n" + repeated("-,", 10) +
                                    "-lunghezza percorso, 500\r\n[x]\r\n[fine]\r\n");
  ASSERT_EQ(eleventh.error(), 0);
  EXPECT_EQ(eleventh.model.table[84].value2, 500);

  // A section line behind a hyphen does not end the header; one that is
  // itself the eleventh hyphen field does not either.
  for (const std::string& hidden :
       {std::string("-[curve]\r\n"), repeated("-\r\n", 10) + "-[curve]\r\n"}) {
    const Compiled out = compile(line_file("", hidden + "sfondo uno, 7\r\n"));
    ASSERT_EQ(out.error(), 0) << hidden;
    EXPECT_EQ(out.model.table[85].value1, 7) << hidden;
  }

  // An indented section line ends the header: "sfondo uno" is then a row.
  const Compiled indented = compile(line_file("", "   [curve]\r\nsfondo uno, 7\r\n"));
  ASSERT_EQ(indented.error(), 0);
  EXPECT_EQ(indented.model.table[85].value1, 0);

  // A second route-length row creates the cells and the profile afresh.
  const Compiled twice = compile(line_file("", "lunghezza percorso, 2000\r\n"));
  EXPECT_EQ(twice.model.cells.size(), 181u);
  EXPECT_EQ(twice.model.profile->last_point(), 9000);
}

TEST(LineCompilerHeader, KilometreReferencesAreOrdered) {
  struct Ref {
    int32_t a, b, c;
  };
  struct Case {
    std::string name;
    Ref uno, due, tre;
    Ref e81, e82, e83;
  };
  const std::vector<Case> cases = {
      {"all zero", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {"tre greatest, due middle, C adds 100",
       {0, 0, 0},
       {5000, 12000, 0},
       {10000, 20000, 1},
       {10000, 20100, 1},
       {5000, 12000, 0},
       {0, 0, 0}},
      {"uno greatest, A3 > A2",
       {10000, 1000, 0},
       {0, 0, 0},
       {5000, 500, 0},
       {10000, 1000, 0},
       {5000, 500, 0},
       {0, 0, 0}},
      {"uno greatest, A3 <= A2",
       {10000, 1000, 0},
       {300, 50, 0},
       {300, 100, 0},
       {10000, 1000, 0},
       {300, 50, 0},
       {300, 100, 0}},
      {"due greatest, A3 > A1",
       {100, 1, 0},
       {900, 2, 0},
       {500, 3, 0},
       {900, 2, 0},
       {500, 3, 0},
       {100, 1, 0}},
      {"due greatest, A3 <= A1",
       {500, 1, 0},
       {900, 2, 0},
       {500, 3, 0},
       {900, 2, 0},
       {500, 1, 0},
       {500, 3, 0}},
      {"tre greatest, equal others: uno first",
       {100, 1, 0},
       {100, 2, 0},
       {500, 3, 0},
       {500, 3, 0},
       {100, 1, 0},
       {100, 2, 0}},
      {"greatest shared",
       {3000, 50, 0},
       {3000, 100, 0},
       {1000, 150, 1},
       {0, 0, 0},
       {0, 0, 0},
       {0, 0, 0}},
      {"A sums to 0, B1 > 0",
       {100, 50, 0},
       {-100, 7, 0},
       {0, 8, 1},
       {100, 50, 0},
       {-100, 7, 0},
       {0, 108, 1}},
      {"A all 0, only due has B > 0",
       {0, -50, 0},
       {0, 50, 0},
       {0, -100, 0},
       {0, 50, 0},
       {0, -100, 0},
       {0, -50, 0}},
      {"A all 0, only tre has B > 0",
       {0, -50, 0},
       {0, -1, 0},
       {0, 50, 1},
       {0, 150, 1},
       {0, -1, 0},
       {0, -50, 0}},
      {"A all 0, no B > 0", {0, -50, 1}, {0, 0, 1}, {0, -100, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
  };
  const auto row = [](std::string_view slot, Ref r) {
    return "progressiva chilometrica " + std::string(slot) + ", " + std::to_string(r.a) + ", " +
           std::to_string(r.b) + ", " + std::to_string(r.c) + "\r\n";
  };
  const auto entry_ref = [](const TableEntry& e) {
    return std::vector<int32_t>{e.value1, e.value2, e.value3};
  };
  const auto as_vector = [](Ref r) { return std::vector<int32_t>{r.a, r.b, r.c}; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Compiled out =
        compile(line_file("", row("uno", c.uno) + row("due", c.due) + row("tre", c.tre)));
    ASSERT_EQ(out.error(), 0);
    EXPECT_EQ(entry_ref(out.model.table[81]), as_vector(c.e81));
    EXPECT_EQ(entry_ref(out.model.table[82]), as_vector(c.e82));
    EXPECT_EQ(entry_ref(out.model.table[83]), as_vector(c.e83));
  }
}

TEST(LineCompilerRows, HyphenFieldsAndLastField) {
  // Two hyphen fields are replaced; the third is tested whatever it holds.
  const Compiled third = compile(line_file("-a\r\n-b\r\n-pendenza, 300, 5\r\n"));
  ASSERT_EQ(third.error(), 0);
  EXPECT_EQ(third.model.cells[5].gradient, 100);
  EXPECT_EQ(third.model.cells[6].gradient, 105);

  // The last field of the file is never processed.
  const Compiled last = compile("[generale]\r\nlunghezza percorso, 1000\r\n[x]\r\npendenza");
  ASSERT_EQ(last.error(), 0);
  const Compiled after_hyphen =
      compile("[generale]\r\nlunghezza percorso, 1000\r\n[x]\r\n-a\r\ncurvad7");
  EXPECT_EQ(after_hyphen.error(), 0);
}

TEST(LineCompilerRows, AFieldMatchingSeveralKindsRunsEach) {
  const Compiled out =
      compile(line_file("indicatori_v cartello, 300, 75,80,80,0,0,0,0,0, 500, Ciao\r\n"));
  ASSERT_EQ(out.error(), 0);
  EXPECT_EQ(out.model.cells[7].type_code, cell_type::kSpeedBoard);
  EXPECT_EQ(out.model.cells[11].type_code, cell_type::kTextBoard);
  EXPECT_EQ(out.model.table[80].text, "Ciao");
}

TEST(LineCompilerRows, Gradients) {
  const Compiled out =
      compile(line_file("pendenza, 0, -101\r\npendenza, 100, 156\r\npendenza, 200, 5\r\n"
                        "pendenza, 200, 7\r\npendenza, 225, -2\r\n"));
  ASSERT_EQ(out.error(), 0);
  // A row at position 0 only sets the gradient in force: -101 keeps its low
  // bits (255), 156 wraps to 0.
  EXPECT_EQ(out.model.cells[0].gradient, 255);
  EXPECT_EQ(out.model.cells[1].gradient, 255);
  EXPECT_EQ(out.model.cells[2].gradient, 0);
  EXPECT_EQ(out.model.cells[3].gradient, 0);
  // Rows in the same cell still write one cell each at the cursor.
  EXPECT_EQ(out.model.cells[4].gradient, 105);
  EXPECT_EQ(out.model.cells[5].gradient, 107);
  EXPECT_EQ(out.model.cells[6].gradient, 98);
  EXPECT_EQ(out.model.cells[157].gradient, 98);
  EXPECT_EQ(out.model.cells[158].gradient, 0);
}

TEST(LineCompilerRows, CurveSidesAndClasses) {
  struct Case {
    std::string keyword;
    double kappa;
  };
  const std::vector<Case> cases = {
      {"curvad1", 0.0001},  {"curvad2", 0.0002},  {"curvad3", 0.0004}, {"curvad4", 0.001},
      {"curvad5", 0.002},   {"curvad6", 0.003},   {"curvas4", -0.001}, {"CURVAS2", -0.0002},
      {"curvas54", -0.001}, {"curva 61", 0.0001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const Compiled out = compile(line_file(c.keyword + ", 100, 10\r\n"));
    ASSERT_EQ(out.error(), 0);
    const Profile& p = *out.model.profile;
    EXPECT_EQ(p.value(100, Profile::kX), 0.0);
    EXPECT_EQ(p.value(101, Profile::kX), c.kappa);
    EXPECT_EQ(p.value(101, Profile::kY), 101.0);
    EXPECT_EQ(p.value(110, Profile::kX) > 0, c.kappa > 0);
  }
}

TEST(LineCompilerRows, CurvesShareOneCursor) {
  // The second curve starts behind the cursor: it bends from there on, no
  // run-up; a third ending behind the cursor changes nothing.
  const Compiled one = compile(line_file("curvad4, 100, 50\r\ncurvas4, 150, 50\r\n"));
  const Compiled two =
      compile(line_file("curvad4, 100, 50\r\ncurvas4, 120, 80\r\ncurvad6, 10, 20\r\n"));
  ASSERT_EQ(one.error(), 0);
  ASSERT_EQ(two.error(), 0);
  for (int m = 0; m <= 8000; m += 50) {
    EXPECT_EQ(one.model.profile->value(m, Profile::kX), two.model.profile->value(m, Profile::kX));
  }
}

TEST(LineCompilerRows, CurveWhileNoProfileIsWanted) {
  // The curve test is skipped: its start and length become keyword fields,
  // and a curve without a class is no error.
  const Compiled out =
      compile(line_file("curvad7, 300, 50\r\npendenza, 100, 5\r\n"), ProfileChoice::kWithout);
  ASSERT_EQ(out.error(), 0);
  EXPECT_FALSE(out.model.profile.has_value());
  EXPECT_EQ(out.model.cells[2].gradient, 105);
}

TEST(LineCompilerRows, ArcIsCutAtTheLastProfilePoint) {
  const Compiled out = compile(line_file("curvad4, 7800, 500\r\n"));
  ASSERT_EQ(out.error(), 0);
  const Profile& p = *out.model.profile;
  EXPECT_EQ(p.last_point(), 8000);
  EXPECT_EQ(p.tag(8000, Profile::kX), Profile::Tag::kDouble);
  EXPECT_GT(p.value(8000, Profile::kX), p.value(7999, Profile::kX));
}

TEST(LineCompilerRows, Tunnels) {
  const Compiled out = compile(
      line_file("montagna, 100, 300, 1\r\n"     // cells 2 to 5
                "montagna, 450, 600, 2\r\n"     // 150 m after the last end: type 3, cells 9 to 11
                "montagna, 751, 900, 4\r\n"     // 151 m after: keeps 4, cells 15 to 17
                "montagna, 1100, 1300, 13\r\n"  // type 3 with markers, cells 22 to 25
                "montagna, 1500, 1650, 11\r\n"  // three cells: no marker
                "montagna, 2000, 2450, 10\r\n"  // type 10, no markers, cells 40 to 48
                "montagna, 7600, 9999, 1\r\n"   // cut at the last cell, 160
                ));
  ASSERT_EQ(out.error(), 0);
  const struct {
    int first, last;
    uint8_t type;
  } spans[] = {{2, 5, 1},   {9, 11, 3},   {15, 17, 4},  {22, 25, 3},
               {30, 32, 1}, {40, 48, 10}, {152, 160, 1}};
  for (int i = 0; i <= 160; ++i) {
    uint8_t type = 0;
    for (const auto& span : spans) {
      if (i >= span.first && i <= span.last) type = span.type;
    }
    EXPECT_EQ(out.model.cells[i].tunnel_type, type) << "cell " << i;
    EXPECT_EQ(out.model.cells[i].type_code, i == 25 ? cell_type::kTunnelMarker : cell_type::kEmpty)
        << "cell " << i;
  }
}

TEST(LineCompilerRows, BoardsReplaceTunnelMarkers) {
  const Compiled out =
      compile(line_file("montagna, 0, 400, 11\r\n"  // markers in cells 3 and 7
                        "indicatore cartello, 100, \"Galleria, km 1\"\r\n"
                        "indicatori_vmax, 300, 60, 0, 0, 0, 7, 15, , 0\r\n"
                        "indicatore cartello, 1000, Due\r\n"));
  ASSERT_EQ(out.error(), 0);
  const Cell& text_board = out.model.cells[3];
  EXPECT_EQ(text_board.type_code, cell_type::kTextBoard);
  EXPECT_EQ(text_board.info1, 80);
  EXPECT_EQ(text_board.tunnel_type, 1);
  EXPECT_EQ(out.model.table[80].text, "Galleria, km 1");
  const Cell& speed_board = out.model.cells[7];
  EXPECT_EQ(speed_board.type_code, cell_type::kSpeedBoard);
  EXPECT_EQ(speed_board.info1, 1201);  // 7 / 5 = 1.4 rounds to 1
  EXPECT_EQ(speed_board.info2, 3);
  EXPECT_EQ(out.model.cells[21].info1, 79);
  EXPECT_EQ(out.model.table[79].text, "Due");
  EXPECT_EQ(out.result.board_cursor, 78);
}

TEST(LineCompilerRows, EightyTextBoardsFillTheirEntries) {
  const Compiled out = compile(line_file(text_boards(81), "", 10000));
  EXPECT_EQ(out.errors.error_number(), error_number(ErrorCode::kNoBoardEntry));
  EXPECT_EQ(out.result.board_cursor, 0);
  EXPECT_EQ(out.model.cells[3].info1, 80);
  EXPECT_EQ(out.model.table[80].text, "B1");
  EXPECT_EQ(out.model.cells[161].info1, 1);
  EXPECT_EQ(out.model.table[1].text, "B80");
  EXPECT_EQ(out.model.table[0], TableEntry{});
  EXPECT_EQ(out.model.cells[163].type_code, cell_type::kEmpty);
}

// A long route with a row every 50 m compiles in one linear pass.
TEST(LineCompilerRows, LongRoute) {
  std::string rows;
  for (int p = 0; p <= 1000000; p += 50) {
    rows += "pendenza, " + std::to_string(p) + ", " + std::to_string(p % 7) + "\r\n";
    if (p % 1000 == 0 && p < 990000) rows += "curvad4, " + std::to_string(p + 100) + ", 50\r\n";
  }
  const Compiled out = compile(line_file(rows, "", 1000000));
  ASSERT_EQ(out.error(), 0);
  EXPECT_EQ(out.model.cells[20000].gradient, 100 + 1000000 % 7);
  EXPECT_EQ(out.model.profile->tag(1006998, Profile::kX), Profile::Tag::kDouble);
}

}  // namespace
}  // namespace sc
