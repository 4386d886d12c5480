#include "check/check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <tuple>

#include "check/lint.h"
#include "diagnostics/render.h"
#include "documents/documents.h"
#include "route_generator.h"

namespace sc {
namespace {

const CompileTexts kCompile = compile_as_compile_does("Prova", "T1");

std::vector<Finding> check(const std::string& line, const std::string& train,
                           CheckOptions options = {}) {
  return check_sources(line, train, options, kCompile);
}

// (file, line, name) of each finding, for comparing whole lists.
using Place = std::tuple<Source, int, std::string>;
std::vector<Place> places(const std::vector<Finding>& findings) {
  std::vector<Place> out;
  for (const Finding& f : findings)
    out.emplace_back(f.source, f.location.line, std::string(f.name()));
  return out;
}

constexpr const char* kLineHead =
    "[generale]\nlunghezza percorso, 10000\n[pendenze]\npendenza, 0, 2\n";
constexpr const char* kTrainHead = "[generale]\nvelocita, 0, 80\n";
constexpr const char* kStation9 = "stazione, 0, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n";

TEST(Check, OneMistakeGivesOneDiagnosticAtItsLine) {
  struct Case {
    std::string line_rows;   // after kLineHead, from line 5
    std::string train_rows;  // after kTrainHead, from line 3
    Source file;
    int line;
    std::string name;
  };
  const Case cases[] = {
      {"pendenze, 100, 2\n", "", Source::kLineFile, 5, "unknown-keyword"},
      {"# pendenza, 100, 2\n", "", Source::kLineFile, 5, "comment-marker"},
      {"REM montagna, 100, 400, 11\n", "", Source::kLineFile, 5, "comment-marker"},
      {"pendenza, 100, 2, 3\n", "", Source::kLineFile, 5, "too-many-values"},
      {"pendenza, 125, 2\n", "", Source::kLineFile, 5, "off-grid"},
      {"pendenza, 100, 200\n", "", Source::kLineFile, 5, "value-wraps"},
      {"montagna, 500, 400, 11\n", "", Source::kLineFile, 5, "tunnel-backwards"},
      {"montagna, 400, 500, 7\n", "", Source::kLineFile, 5, "tunnel-type"},
      {"pendenza, 12000, 1\n", "", Source::kLineFile, 5, "beyond-route-end"},
      {"indicatore cartello, 500, Bivio, nord\n", "", Source::kLineFile, 5, "text-cut-at-comma"},
      // UTF-8 but for one Windows-1252 letter, so read as Windows-1252.
      {"indicatore cartello, 500, Citt\xC3\xA0 Citt\xE0\n", "", Source::kLineFile, 5, "utf8-input"},
      {"sfondo uno, 1\n", "", Source::kLineFile, 5, "unknown-keyword"},  // after the header
      {"pendenza, 20000, 1\n", "", Source::kLineFile, 5, "beyond-route"},
      {"", "orologio, 25, 61, 0\n", Source::kTrainFile, 3, "time-range"},
      {"", kStation9 + std::string("stazione, 1000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 8,0,0, B\n"),
       Source::kTrainFile, 4, "time-backwards"},
      {"", "aderenza, 0, 300\n", Source::kTrainFile, 3, "value-wraps"},
      {"", "segnale, 2025, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n", Source::kTrainFile, 3, "off-grid"},
      {"", "rallentamento, 3000, 60, 1010, 1, 1, 0\n", Source::kTrainFile, 3, "off-grid"},
      {"", "vetture, 8, 2\n", Source::kTrainFile, 3, "too-many-values"},
      {"",
       "segnale, 3000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\nsegnale, 3010, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n",
       Source::kTrainFile, 4, "signal-cell-taken"},
      // Rows out of route order, where the compile takes them in file order.
      {"pendenza, 8000, 5\npendenza, 4000, -4\n", "", Source::kLineFile, 6, "out-of-order"},
      {"pendenza, 8000, 5\npendenza, 0, -4\n", "", Source::kLineFile, 6, "out-of-order"},
      // A row beyond the route fills nothing, so the next one is in order.
      {"pendenza, 20000, 1\npendenza, 4000, 2\n", "", Source::kLineFile, 5, "beyond-route"},
      {"curvad4, 5000, 300\ncurvas4, 2000, 200\n", "", Source::kLineFile, 6, "out-of-order"},
      {"curvad4, 5000, 300\ncurvas4, 5200, 400\n", "", Source::kLineFile, 6, "out-of-order"},
      {"", "velocita, 5000, 60\nvelocita, 3000, 40\n", Source::kTrainFile, 4, "out-of-order"},
      {"", "aderenza, 0, 60\naderenza, 5000, 60\naderenza, 3000, 40\n", Source::kTrainFile, 5,
       "out-of-order"},
      // The cells before the first speed limit or adhesion get 0.
      {"", "aderenza, 1000, 60\n", Source::kTrainFile, 3, "starts-late"},
      // Keywords that read other than they look.
      {"curva destra 4, 1000, 200\n", "", Source::kLineFile, 5, "misleading-keyword"},
      {"curva left 4, 1000, 200\n", "", Source::kLineFile, 5, "misleading-keyword"},
      {"curvad42, 1000, 200\n", "", Source::kLineFile, 5, "misleading-keyword"},
      {"curva-d4, 1000, 200\n", "", Source::kLineFile, 5, "misleading-keyword"},
      {"pendenza curvad1, 1000, 2, 1000, 200\n", "", Source::kLineFile, 5, "misleading-keyword"},
      // Lengths of zero or less, and values no train could mean.
      {"curvad4, 1000, 0\n", "", Source::kLineFile, 5, "length-not-positive"},
      {"", "rallentamento, 5000, 120, 0, 1, 1, 0\n", Source::kTrainFile, 3, "length-not-positive"},
      {"", "rallentamento, 5000, 120, -500, 1, 1, 0\n", Source::kTrainFile, 3,
       "length-not-positive"},
      {"", "stazione, 1000, 12, 0, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n", Source::kTrainFile, 3,
       "length-not-positive"},
      {"", "percentuale massa frenata, -125\n", Source::kTrainFile, 3, "implausible-value"},
      {"", "numero vetture, -2\n", Source::kTrainFile, 3, "implausible-value"},
      // A board where a limit starts, showing another limit.
      {"indicatori_vmax, 1000, 70, 75, 75, 0, , , , 0\n", "", Source::kLineFile, 5, "board-speed"},
      // A stop cell takes the cell of an object of either file.
      {"",
       "segnale, 50, 1, 4, 1, 1, 0, 2, 2,1,1, 0\n"
       "stazione, 0, 12, 300, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n",
       Source::kTrainFile, 4, "object-replaced"},
      {"indicatori_vmax, 3000, 75, 80, 80, 0, , , , 0\n",
       "stazione, 3000, 22, 200, 0,0,0, 0,0,0, 4,1,1, 30, 9,0,0, DUE\n", Source::kTrainFile, 3,
       "object-replaced"},
      // Objects that start on the route and run past its end.
      {"montagna, 9000, 18000, 1\n", "", Source::kLineFile, 5, "beyond-route-end"},
      {"", "stazione, 9950, 12, 300, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n", Source::kTrainFile, 3,
       "beyond-route-end"},
      {"", "rallentamento, 9500, 120, 1000, 1, 1, 0\n", Source::kTrainFile, 3, "beyond-route-end"},
  };
  for (const Case& c : cases) {
    const auto found =
        places(check(kLineHead + c.line_rows + "[fine]\n", kTrainHead + c.train_rows + "[fine]\n"));
    EXPECT_THAT(found, ::testing::ElementsAre(Place{c.file, c.line, c.name}))
        << c.line_rows << c.train_rows;
  }
}

// Mistakes of new authors, each named at the line that holds it, in words
// that say what the compile does with it.
TEST(Check, AnAuthorsMistakeIsNamedAtItsLineWithWhatTheCompileDoes) {
  struct Case {
    std::string line_text;
    std::string train_text;
    Source file;
    int line;
    std::string name;
    std::string says;
  };
  const std::string line_end = "[fine]\n";
  const std::string line = kLineHead;
  const std::string train = kTrainHead;
  const Case cases[] = {
      // A tunnel written 150 m or less after the one before it.
      {line + "montagna, 1000, 2000, 1\nmontagna, 2100, 2500, 1\n" + line_end, train + line_end,
       Source::kLineFile, 6, "tunnel-type",
       "this tunnel of type 1 is stored as type 3: it starts at 2100 m"},
      // Kilometres for metres: start and end in one cell.
      {line + "montagna, 43, 45, 11\n" + line_end, train + line_end, Source::kLineFile, 5,
       "tunnel-backwards",
       "covers no cell: both ends round to the same cell boundary, 50 m, so no tunnel is "
       "written; positions are in metres"},
      // A misspelt keyword drops its row.
      {line + line_end,
       train + "staziome, 1000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n" + line_end,
       Source::kTrainFile, 3, "unknown-keyword",
       "so the row is ignored, and the train file has one station row fewer than written; did "
       "you mean \"stazione\"?"},
      // A train file without a speed limit row.
      {line + line_end, "[generale]\n" + line_end, Source::kTrainFile, 1, "starts-late",
       "the train file holds no row: without a speed limit row (velocita) every cell of the "
       "route gets a line speed of 0 km/h"},
      // Values written without commas.
      {line + "pendenza 2000 10\n" + line_end, train + line_end, Source::kLineFile, 5,
       "too-few-values",
       "the keyword field \"pendenza 2000 10\" holds numbers, but values count only after a "
       "comma"},
      {line + "pendenza;2000;10\n" + line_end, train + line_end, Source::kLineFile, 5,
       "too-few-values", "\"pendenza, 2000, 10\""},
      {line + "pendenza\t2000\t10\n" + line_end, train + line_end, Source::kLineFile, 5,
       "too-few-values", "\"pendenza, 2000, 10\""},
      // A time written minutes first: the row that breaks the order.
      {line + line_end,
       train + kStation9 + "stazione, 2000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 20,9,0, DUE\n" +
           "stazione, 4000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,30,0, TRE\n" + line_end,
       Source::kTrainFile, 4, "time-backwards",
       "this station's time 20:09:00 is later than the next station's, 9:30:00, while the "
       "station before it has 9:00:00: this row breaks the order of the times; a time is "
       "written hours, minutes, seconds, so did you mean 9:20:00?"},
      // Every digit of a curve keyword named.
      {line + "curvad250, 1000, 300\n" + line_end, train + line_end, Source::kLineFile, 5,
       "misleading-keyword", "holds the digits 2, 5 and 0: "},
      // The value to write, the route's length and the run-out.
      {line + line_end,
       train + kStation9 + "stazione, 700, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,10,0, DUE\n" +
           line_end,
       Source::kTrainFile, 4, "stations-too-close",
       "write its position as 950 or more, so that it starts at 650 or later"},
      {line + "pendenza, 20000, 1\n" + line_end, train + line_end, Source::kLineFile, 5,
       "beyond-route",
       "the route is 10000 m long, and its cells run on through the 7000 m run-out after it"},
  };
  for (const Case& c : cases) {
    const std::vector<Finding> found = check(c.line_text, c.train_text);
    const auto it = std::ranges::find_if(found, [&](const Finding& f) {
      return f.source == c.file && f.location.line == c.line && f.name() == c.name;
    });
    ASSERT_NE(it, found.end()) << c.line_text << c.train_text;
    EXPECT_THAT(it->message, ::testing::HasSubstr(c.says));
  }
}

// The warning's advice, followed, leaves a clean file.
TEST(Check, CommentMarkerAdviceSwitchesTheRowOff) {
  const std::string train = kTrainHead + std::string("[fine]\n");
  const auto marked = check(kLineHead + std::string("#  pendenza, 100, 2\n[fine]\n"), train);
  ASSERT_EQ(marked.size(), 1u);
  EXPECT_THAT(marked[0].message, ::testing::HasSubstr("(\"-pendenza\")"));
  EXPECT_THAT(check(kLineHead + std::string("-pendenza, 100, 2\n[fine]\n"), train),
              ::testing::IsEmpty());
}

// The offset of a place in a text.
size_t offset_of(const std::string& text, SourceLocation at) {
  size_t start = 0;
  for (int line = 1; line < at.line; ++line) start = text.find('\n', start) + 1;
  return start + static_cast<size_t>(at.column - 1);
}

// The text with the finding's fix-its made, the last first so that the
// places of the others hold.
std::string with_fixes(std::string text, const Finding& finding) {
  std::vector<FixIt> fixes = finding.fixes;
  std::ranges::sort(fixes, std::greater{}, [](const FixIt& fix) { return fix.range.begin; });
  for (const FixIt& fix : fixes) {
    const size_t begin = offset_of(text, fix.range.begin);
    text.replace(begin, offset_of(text, fix.range.end) - begin, fix.text);
  }
  return text;
}

// Each warning stands on the characters of its field, and its fix-its,
// made, leave a file that gives no warning.
TEST(Check, AWarningsFixItsPutItRight) {
  struct Case {
    std::string rows;  // of the line file after kLineHead, or of the train file
    bool train;
    std::string field;  // the characters the warning stands on
    std::string fixed;  // the row once fixed
  };
  const Case cases[] = {
      {"pendenze, 100, 2", false, "pendenze", "pendenza, 100, 2"},
      {"#  pendenza, 100, 2", false, "#  pendenza", "-pendenza, 100, 2"},
      {"pendenza, 125, 2", false, "125", "pendenza, 100, 2"},
      {"indicatore cartello, 500, Bivio, nord ", false, "nord",
       "indicatore cartello, 500, \"Bivio, nord \""},
      {"curva destra 4 , 500, 200", false, "curva destra 4", "curvad4 , 500, 200"},
      {"curvad42, 500, 200", false, "curvad42", "curvad2, 500, 200"},
      {"rallentamento, 1000, 60, 130, 1, 1, 0", true, "130",
       "rallentamento, 1000, 60, 150, 1, 1, 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    std::string line = kLineHead + (c.train ? "" : c.rows + "\n") + "[fine]\n";
    std::string train = kTrainHead + (c.train ? c.rows + "\n" : "") + "[fine]\n";
    const std::vector<Finding> found = check(line, train);
    ASSERT_EQ(found.size(), 1u);
    const Finding& warning = found[0];
    std::string& text = c.train ? train : line;
    const size_t begin = offset_of(text, warning.location);
    EXPECT_EQ(text.substr(begin, offset_of(text, warning.end) - begin), c.field);
    text = with_fixes(text, warning);
    EXPECT_THAT(text, ::testing::HasSubstr(c.fixed + "\n"));
    EXPECT_THAT(check(line, train), ::testing::IsEmpty());
  }
}

// The row itself is named, not the next line where the compile fails.
TEST(Check, ARowWithTooFewValuesIsNamedAtItsOwnLine) {
  const auto found =
      places(check(kLineHead + std::string("pendenza, 100\npendenza, 200, 1\n[fine]\n"),
                   kTrainHead + std::string("[fine]\n")));
  EXPECT_THAT(found, ::testing::ElementsAre(Place{Source::kLineFile, 5, "too-few-values"},
                                            Place{Source::kLineFile, 6, "bad-value"}));
}

TEST(Check, FindsEveryIndependentErrorOfBothFilesInOneRun) {
  const std::string line =
      "[generale]\n"
      "lunghezza percorso, 10000\n"
      "[righe]\n"
      "indicatori_vmax, 300, 75, 80, 80, 0, , , , 0\n"
      "indicatori_vmax, 300, 75, 80, 80, 0, , , , 0\n"  // 5: the same cell
      "curvad7, 500, 50\n"                              // 6: no radius class
      "pendenza, abc, 1\n"                              // 7: not a number
      "indicatore cartello, 20000, Fine\n"              // 8: beyond the route
      "pendenza, 600, 1\n"
      "[fine]\n";
  const std::string train =
      "[generale]\n"
      "velocita, 0, 80\n"
      "segnale, 3000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n"
      "segnale, 3000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n"                  // 4: the same cell
      "stazione, 1025, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n"  // 5: off the grid
      "numero vetture, many\n"                                         // 6: not a number
      "abbattimento, 3050, 1\n"                                        // 7: the signal's cell
      "[fine]\n";
  std::vector<std::tuple<Source, int, int32_t>> errors;
  for (const Finding& f : check(line, train)) {
    EXPECT_EQ(f.severity, Severity::kError) << f.message;
    errors.emplace_back(f.source, f.location.line, f.error_number());
  }
  EXPECT_THAT(errors,
              ::testing::ElementsAre(
                  std::tuple(Source::kLineFile, 5, 21), std::tuple(Source::kLineFile, 6, 103),
                  std::tuple(Source::kLineFile, 7, 25), std::tuple(Source::kLineFile, 8, 15),
                  std::tuple(Source::kTrainFile, 4, 16), std::tuple(Source::kTrainFile, 5, 8),
                  std::tuple(Source::kTrainFile, 6, 25), std::tuple(Source::kTrainFile, 7, 7)));
}

// A row that ends a file's compile hides nothing after it: the warnings of
// the rows past it show too, once each, as after an error the compile reads
// on from.
TEST(Check, WarnsAboutRowsPastARowThatStopsTheCompile) {
  EXPECT_THAT(places(check(kLineHead + std::string("indicatori_vmax, 300, 75, 80, 80, 0, , , , 0\n"
                                                   "indicatori_vmax, 300, 75, 80, 80, 0, , , , 0\n"
                                                   "pendenza, 20, 1\n[fine]\n"),
                           kTrainHead + std::string("[fine]\n"))),
              ::testing::ElementsAre(Place{Source::kLineFile, 6, "speed-board-cell-taken"},
                                     Place{Source::kLineFile, 7, "off-grid"}));
  const std::string line = kLineHead + std::string("pendenza, abc, 1\npendenza, 20, 1\n[fine]\n");
  const std::string train = kTrainHead + std::string(
                                             "aderenza, 0, 300\n"
                                             "stazione, 0, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, "
                                             "6:27,0, UNO\n"
                                             "stazone, 5500\n"
                                             "[fine]\n");
  EXPECT_THAT(places(check(line, train)),
              ::testing::ElementsAre(Place{Source::kLineFile, 5, "bad-value"},
                                     Place{Source::kLineFile, 6, "off-grid"},
                                     Place{Source::kTrainFile, 3, "value-wraps"},
                                     Place{Source::kTrainFile, 4, "bad-value"},
                                     Place{Source::kTrainFile, 5, "unknown-keyword"}));
}

// A board is seen where it stands, a cell past its position: written 50 m
// before a limit starts, it stands where the limit starts.
TEST(Check, ABoardIsComparedWithTheLimitWhereItStands) {
  const std::string train = kTrainHead + std::string("velocita, 1000, 60\n[fine]\n");
  EXPECT_THAT(
      check(kLineHead + std::string("indicatori_vmax, 950, 55, 60, 60, 0, , , , 0\n[fine]\n"),
            train),
      ::testing::IsEmpty());
  const auto early = check(
      kLineHead + std::string("indicatori_vmax, 900, 55, 60, 60, 0, , , , 0\n[fine]\n"), train);
  ASSERT_EQ(early.size(), 1u);
  EXPECT_THAT(early[0].message, ::testing::HasSubstr("where it stands, at 950 m, is 80 km/h"));
}

// A row whose value cannot be read is read past in the same compile, so the
// rows after it, of either file, are still compared with each other, and
// many such rows cost no compile each.
TEST(Check, RowsAfterAValueThatCannotBeReadAreComparedAcrossTheFiles) {
  struct Case {
    std::string line_rows, train_rows;
    std::vector<Place> found;
  };
  const std::vector<Case> cases = {
      // The limit the board shows starts after the train file's bad row.
      {"indicatori_vmax, 950, 55, 60, 60, 0, , , , 0\n",
       "velocita, 500x, 70\nvelocita, 1000, 60\n",
       {Place{Source::kTrainFile, 3, "bad-value"}}},
      // A board that shows another limit, before the line file's bad row.
      {"indicatori_vmax, 900, 55, 60, 60, 0, , , , 0\npendenza, 2000x, 1\n",
       "velocita, 1000, 60\n",
       {Place{Source::kLineFile, 5, "board-speed"}, Place{Source::kLineFile, 6, "bad-value"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        places(check(kLineHead + c.line_rows + "[fine]\n", kTrainHead + c.train_rows + "[fine]\n")),
        c.found)
        << c.line_rows << c.train_rows;
  }

  int compiles = 0;
  const CompileTexts counted = [&](const std::string& line, const std::string& train) {
    ++compiles;
    return kCompile(line, train);
  };
  std::string bad_rows;
  for (int i = 0; i < 10; ++i) bad_rows += "velocita, " + std::to_string(i * 500) + "x, 50\n";
  const auto found = check_sources(kLineHead + std::string("pendenza, 2000x, 1\n[fine]\n"),
                                   kTrainHead + bad_rows + "[fine]\n", {}, counted);
  EXPECT_EQ(std::count_if(found.begin(), found.end(),
                          [](const Finding& f) { return f.name() == "bad-value"; }),
            11);
  EXPECT_EQ(compiles, 2) << "one compile finds them all, one more finds nothing new";
}

// A taken cell, and cell 1 that the format marker needs, name the row that
// holds them.
TEST(Check, NamesTheRowThatHoldsATakenCell) {
  const std::vector<Finding> found =
      check(kLineHead + std::string("indicatore cartello, 500, A\n[fine]\n"),
            kTrainHead + std::string("segnale, 0, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n"
                                     "rallentamento, 2000, 60, 500, 1, 1, 0\n"
                                     "rallentamento, 2500, 60, 500, 1, 1, 0\n[fine]\n"));
  std::vector<std::tuple<int32_t, Source, int>> holders;
  for (const Finding& f : found) {
    ASSERT_FALSE(f.notes.empty()) << f.message;
    const Note& holder = f.notes.back();
    holders.emplace_back(f.error_number(), holder.source, holder.location.line);
  }
  // The second slowdown's start cell is the first one's end cell.
  EXPECT_THAT(holders, ::testing::ElementsAre(std::tuple(18, Source::kTrainFile, 4),
                                              std::tuple(1250, Source::kTrainFile, 3)));
  EXPECT_EQ(found[0].notes.back().text,
            "the slowdown's end of this row, at 2000 m, already holds cell 51");
  EXPECT_THAT(found[1].message,
              ::testing::EndsWith("no object may stand in cell 1, metres 50 to 99: write the row "
                                  "that put one there further along the route"));
}

// What an out-of-order row really applies to, and the row it follows.
TEST(Check, AnOutOfOrderRowSaysWhatItAppliesToAndNamesTheRowItFollows) {
  const struct {
    std::string rows;
    std::string message;
    int note_column;  // of the row it follows, on line 5
  } cases[] = {
      {"pendenza, 8000, 5\npendenza, 4000, -4\n",
       "this gradient at 4000 m follows one at 8000 m, and the compile fills the cells in file "
       "order without going back: the gradient of that row holds for one cell only, 8000 m to "
       "8050 m, and this one's applies from 8050 m, not from 4000 m; list the rows in route order",
       11},
      {"curvad4, 5000, 300\ncurvas4, 2000, 200\n",
       "this curve at 2000 m follows one that lays the track up to 5300 m, and the compile lays "
       "the track in file order without going back: this curve changes nothing; list the curves "
       "in route order",
       10},
      {"curvad4, 5000, 300\ncurvas4, 5200, 400\n",
       "this curve at 5200 m follows one that lays the track up to 5300 m, and the compile lays "
       "the track in file order without going back: this curve bends the track only from 5301 m "
       "to 5600 m, not from 5200 m; list the curves in route order",
       10},
  };
  for (const auto& c : cases) {
    const auto found = check(kLineHead + c.rows + "[fine]\n", kTrainHead + std::string("[fine]\n"));
    ASSERT_EQ(found.size(), 1u) << c.rows;
    EXPECT_EQ(found[0].message, c.message);
    ASSERT_EQ(found[0].notes.size(), 1u);
    EXPECT_EQ(found[0].notes[0].location, (SourceLocation{5, c.note_column}))
        << found[0].notes[0].text;
  }
}

// The repetition code is taken from the keyword in the header.
TEST(Check, ARepetitionKeywordWithBothCodesIsMisleading) {
  const auto found = check(
      "[generale]\nlunghezza percorso, 10000\nripetizione segnali 9 o 4 codici, 1000, 50\n"
      "[pendenze]\n[fine]\n",
      kTrainHead + std::string("[fine]\n"));
  EXPECT_THAT(places(found),
              ::testing::ElementsAre(Place{Source::kLineFile, 3, "misleading-keyword"}));
}

// A board, a signal or a slowdown stands in the cell after its position.
TEST(Check, OffGridSaysWhereAnObjectStands) {
  // A half rounds to the even neighbour after the object's cell is counted
  // in: 2025 m gives cell 41.5, rounded to 42.
  const auto found = check(kLineHead + std::string("indicatori_vmax, 9410, 75, 80, 80, 0, , , , 0\n"
                                                   "pendenza, 1175, 2\n[fine]\n"),
                           kTrainHead + std::string("segnale, 2025, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n"
                                                    "[fine]\n"));
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].message,
            "the speed board's position 9410 m is not a multiple of 50 m: the compile rounds it to "
            "9400 m, and the object stands in the cell after that, from 9450 m to 9500 m");
  EXPECT_EQ(found[1].message,
            "the gradient's position 1175 m is not a multiple of 50 m: the compile rounds it to "
            "1200 m");
  EXPECT_EQ(found[2].message,
            "the signal's position 2025 m is not a multiple of 50 m: the compile rounds it to "
            "2050 m, and the object stands in the cell after that, from 2100 m to 2150 m");
}

// A slowdown whose start a later row's object takes has no length to warn
// about, as in the generated routes.
TEST(Check, ASlowdownLengthIsNotWarnedAboutOnceItsStartIsTaken) {
  const std::string covered =
      "rallentamento, 3000, 120, -200, 0, 0, 0\n"
      "stazione, 3000, 12, 200, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, UNO\n";
  EXPECT_THAT(places(check(kLineHead + std::string("[fine]\n"), kTrainHead + covered + "[fine]\n")),
              ::testing::IsEmpty());
}

TEST(Check, BuiltInFilesAndGeneratedRoutesGiveNoWarning) {
  EXPECT_THAT(places(check(render_document(dati_linea()), render_document(dati_treno()))),
              ::testing::IsEmpty());
  for (int32_t length : {0, 50, 3960, 10000, 100000, 123456, 995000, 1000000}) {
    const RouteTexts route = generate_route(length);
    EXPECT_THAT(places(check(route.line, route.train)), ::testing::IsEmpty()) << length;
  }
}

TEST(Check, WarningOptionsTurnWarningsOffOrIntoErrors) {
  const std::string line = kLineHead + std::string("pendenza, 125, 2\npendenze, 1, 1\n[fine]\n");
  const std::string train = kTrainHead + std::string("[fine]\n");
  CheckOptions options;
  options.disabled_warnings = {Warning::kOffGrid};
  EXPECT_THAT(places(check(line, train, options)),
              ::testing::ElementsAre(Place{Source::kLineFile, 6, "unknown-keyword"}));
  options.warnings_as_errors = true;
  EXPECT_EQ(check(line, train, options).at(0).severity, Severity::kError);
}

TEST(Check, Utf8InputIsConvertedOrRefusedAtTheCharacter) {
  const std::string line =
      kLineHead + std::string("indicatore cartello, 500, \"Citt\xC3\xA0\"\n[fine]\n");
  const std::string train = kTrainHead + std::string("[fine]\n");
  CheckOptions options;
  options.encodings.line = {InputEncoding::kUtf8, true};
  EXPECT_THAT(check(line, train, options), ::testing::IsEmpty());
  // Forced to Windows-1252, the same UTF-8 file is warned about.
  options.encodings.line = {InputEncoding::kWindows1252, true};
  EXPECT_THAT(places(check(line, train, options)),
              ::testing::ElementsAre(Place{Source::kLineFile, 5, "utf8-input"}));
  EXPECT_EQ(decode_input("a\nb\xE2\x86\x92", InputEncoding::kUtf8).failed_at,
            (SourceLocation{2, 2}));  // an arrow has no Windows-1252 form
  // Counted in characters after a byte-order mark, as the compilers count them.
  EXPECT_EQ(decode_input("\xEF\xBB\xBF"
                         "Citt\xC3\xA0 \xE2\x86\x92",
                         std::nullopt)
                .failed_at,
            (SourceLocation{1, 7}));
}

TEST(Check, AFileIsReadAsUtf8WhenItsBytesAreUtf8) {
  const struct {
    std::string bytes;
    InputEncoding detected;
    std::string read;  // as the compilers get it
  } cases[] = {
      {"ascii only", InputEncoding::kWindows1252, "ascii only"},
      {"Citt\xC3\xA0", InputEncoding::kUtf8, "Citt\xE0"},
      {"Citt\xE0", InputEncoding::kWindows1252, "Citt\xE0"},
      {"\xEF\xBB\xBF"
       "ascii",
       InputEncoding::kUtf8, "ascii"},  // the byte-order mark is dropped
      {"Citt\xC3\xA0 Citt\xE0", InputEncoding::kWindows1252, "Citt\xC3\xA0 Citt\xE0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detect_input_encoding(c.bytes), c.detected) << c.bytes;
    const DecodedText decoded = decode_input(c.bytes, std::nullopt);
    EXPECT_EQ(decoded.text, c.read) << c.bytes;
    EXPECT_EQ(decoded.encoding.read_as, c.detected) << c.bytes;
    EXPECT_FALSE(decoded.encoding.forced);
  }
  EXPECT_EQ(decode_input("Citt\xC3\xA0", InputEncoding::kWindows1252).text, "Citt\xC3\xA0");
}

// A flag set while a large file is decoded stops the decoding, whether it
// still looks for the file's encoding or converts it.
TEST(Check, DecodingALargeFileStopsWhenAsked) {
  const std::string large = std::string(3 * kBytesBetweenStopLooks, 'a') + "Citt\xC3\xA0";
  const std::atomic<int> asked{1};
  const StopFlag stop(asked);
  EXPECT_THROW(decode_input(large, std::nullopt, stop), WorkStopped);
  EXPECT_THROW(decode_input(large, InputEncoding::kUtf8, stop), WorkStopped);
}

struct DocExample {
  std::string warning;
  Source file = Source::kLineFile;
  std::string rows;
  bool forced_1252 = false;  // ```check-line windows-1252: as --input-encoding gives it
};

// Each "## name" section of docs/warnings.md with its ```check-line or
// ```check-train block.
std::vector<DocExample> warning_doc_examples() {
  std::ifstream doc(SC_WARNINGS_DOC);
  std::vector<DocExample> examples;
  std::string line;
  bool in_block = false;
  while (std::getline(doc, line)) {
    if (line.starts_with("## ")) {
      examples.push_back({line.substr(3), Source::kLineFile, ""});
    } else if (line.starts_with("```check-") && !examples.empty()) {
      in_block = true;
      examples.back().file = line == "```check-train" ? Source::kTrainFile : Source::kLineFile;
      examples.back().forced_1252 = line.ends_with(" windows-1252");
    } else if (line.starts_with("```")) {
      in_block = false;
    } else if (in_block) {
      examples.back().rows += line + "\n";
    }
  }
  return examples;
}

TEST(Check, EveryWarningIsDocumentedWithAnExampleThatGivesIt) {
  const std::vector<DocExample> examples = warning_doc_examples();
  ASSERT_EQ(examples.size(), warning_catalogue().size());
  for (const DocExample& example : examples) {
    EXPECT_NE(find_warning(example.warning), nullptr) << example.warning;
    const bool in_line = example.file == Source::kLineFile;
    CheckOptions options;
    if (example.forced_1252) {
      options.encodings = {{InputEncoding::kWindows1252, true},
                           {InputEncoding::kWindows1252, true}};
    }
    const std::vector<Finding> found =
        check(kLineHead + (in_line ? example.rows : "") + "[fine]\n",
              kTrainHead + (in_line ? "" : example.rows) + "[fine]\n", options);
    std::vector<std::string> warnings;
    for (const Finding& f : found) {
      if (f.severity == Severity::kWarning) warnings.push_back(std::string(f.name()));
    }
    EXPECT_THAT(warnings, ::testing::ElementsAre(example.warning)) << example.rows;
  }
}

// Check reads each row kind as the compile reads it: the warnings are checks
// over the compile's own records. Each row below is clean and stands alone
// in its file; the table gives the values and the cells of the objects the
// compile recorded for it.
TEST(Check, ReadsEachRowKindAsTheCompileDoes) {
  struct Case {
    TextFile file;
    std::string header;  // line file rows above "[righe]"
    std::string rows;
    RowKind kind;
    std::vector<int64_t> numbers;  // the number values, in order
    std::string text;              // the text value, if any
    std::vector<int64_t> object_cells;
  };
  const Case cases[] = {
      {TextFile::kLine,
       "progressiva chilometrica uno, 0, 0, 1\n",
       "",
       RowKind::kReferenceUno,
       {0, 0, 1},
       "",
       {}},
      {TextFile::kLine, "sfondo due, 1\n", "", RowKind::kBackgroundDue, {1}, "", {}},
      {TextFile::kLine,
       "ripetizione segnali 4 codici, 1000, 50\n",
       "",
       RowKind::kSignalRepetition,
       {1000, 50},
       "",
       {}},
      {TextFile::kLine, "", "pendenza, 1000, 5\n", RowKind::kGradient, {1000, 5}, "", {}},
      {TextFile::kLine, "", "curvad1, 1000, 200\n", RowKind::kCurve, {1000, 200}, "", {}},
      {TextFile::kLine, "", "montagna, 1000, 1200, 1\n", RowKind::kTunnel, {1000, 1200, 1}, "", {}},
      {TextFile::kLine,
       "",
       "indicatori_vmax, 1000, 75, 80, 80, 0, , , , 0\n",
       RowKind::kSpeedBoard,
       {1000, 75, 80, 80, 0, 0, 0, 0, 0},
       "",
       {21}},
      // A quoted text may run over two lines.
      {TextFile::kLine,
       "",
       "indicatore cartello, 1000, \"Bivio,\nnord\"\n",
       RowKind::kTextBoard,
       {1000, 0},
       "Bivio,\nnord",
       {21}},
      {TextFile::kTrain,
       "",
       "percentuale massa frenata, 125\n",
       RowKind::kBrakedMass,
       {125},
       "",
       {}},
      {TextFile::kTrain, "", "numero vetture, 8\n", RowKind::kCars, {8}, "", {}},
      {TextFile::kTrain, "", "velocita, 0, 80\n", RowKind::kSpeedLimit, {0, 80}, "", {}},
      {TextFile::kTrain, "", "aderenza, 0, 60\n", RowKind::kAdhesion, {0, 60}, "", {}},
      {TextFile::kTrain, "", "orologio, 6, 30, 0\n", RowKind::kClock, {6, 30, 0}, "", {}},
      {TextFile::kTrain, "", "sabbia, 50\n", RowKind::kSand, {50}, "", {}},
      {TextFile::kTrain,
       "",
       "segnale, 3000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0\n",
       RowKind::kSignal,
       {3000, 1, 4, 1, 1, 0, 2, 2, 1, 1, 0},
       "",
       {61}},
      {TextFile::kTrain,
       "",
       "rallentamento, 5000, 60, 500, 1, 1, 0\n",
       RowKind::kSlowdown,
       {5000, 60, 500, 1, 1, 0},
       "",
       {73, 74, 75, 76, 77, 101, 111}},
      {TextFile::kTrain,
       "",
       "abbattimento, 4000, 1\n",
       RowKind::kAbbattimento,
       {4000, 1},
       "",
       {80}},
      {TextFile::kTrain,
       "",
       "stazione, 1000, 12, 600, 0,0,0, 1,1,0, 4,1,1, 1, 9,0,0, \"UNO,\nDUE\"\n",
       RowKind::kStation,
       {1000, 12, 600, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 9, 0, 0, 0},
       "UNO,\nDUE",
       {25}},
  };
  for (const Case& c : cases) {
    const bool in_line = c.file == TextFile::kLine;
    const std::string line = "[generale]\nlunghezza percorso, 10000\n" + c.header + "[righe]\n" +
                             (in_line ? c.rows : "") + "[fine]\n";
    const std::string speed = c.kind == RowKind::kSpeedLimit ? "" : "velocita, 0, 80\n";
    const std::string train = "[generale]\n" + speed + (in_line ? "" : c.rows) + "[fine]\n";
    EXPECT_THAT(places(check(line, train)), ::testing::IsEmpty()) << c.header << c.rows;
    RowRecords records;
    (void)memorizza_percorso({line, train}, "Prova", "T1", ProfileChoice::kBuild,
                             RowErrors::kReadOn, &records);
    std::vector<const RowRecord*> of_kind;
    for (const RowRecord& r : in_line ? records.line : records.train) {
      if (r.kind == c.kind) of_kind.push_back(&r);
    }
    ASSERT_EQ(of_kind.size(), 1u) << c.header << c.rows;
    const RowRecord& record = *of_kind[0];
    EXPECT_EQ(record.ending, RowEnd::kRead);
    std::vector<int64_t> numbers;
    std::string text;
    for (const RecordedField& f : record.values) {
      numbers.push_back(f.number);
      text += f.text;
    }
    EXPECT_EQ(numbers, c.numbers) << c.rows;
    EXPECT_EQ(text, c.text) << c.rows;
    std::vector<int64_t> cells;
    for (const PlacedObject& o : record.objects) cells.push_back(o.cell);
    EXPECT_EQ(cells, c.object_cells) << c.rows;
  }
}

// Without the profile the compile passes over curve rows, and so does check.
TEST(Check, ReadsAsTheCompileWithoutTheProfileDoes) {
  const std::string line = kLineHead + std::string("curvad7, 500, 50\n[fine]\n");
  const std::string train = kTrainHead + std::string("[fine]\n");
  EXPECT_THAT(places(check(line, train)),
              ::testing::ElementsAre(Place{Source::kLineFile, 5, "curve"}));
  EXPECT_THAT(
      places(check_sources(line, train, {},
                           compile_as_compile_does("Prova", "T1", ProfileChoice::kWithout))),
      ::testing::IsEmpty());
}

TEST(Render, ShowsTheSourceLineWithACaretUnderTheField) {
  Finding finding = warning_at(Warning::kOffGrid, Source::kLineFile, {{2, 12}, {2, 15}}, "message");
  finding.notes.push_back({"a note", Source::kLineFile, {2, 12}});
  std::ostringstream out;
  render_findings(out, std::vector{finding}, {"L.txt", "[generale]\n\tpendenza, 125, 1\r\n"},
                  {"T.txt", ""}, false);
  EXPECT_EQ(out.str(),
            "L.txt:2:12: warning: message [off-grid]\n"
            "\tpendenza, 125, 1\n"
            "\t          ^~~\n"
            "L.txt:2:12: note: a note\n");
  std::ostringstream coloured;
  render_findings(coloured, std::vector{finding}, {"L.txt", "x"}, {"T.txt", ""}, true);
  EXPECT_NE(coloured.str().find("\033[1;35mwarning:"), std::string::npos) << coloured.str();
  EXPECT_EQ(closing_count(2, 3), "2 errors and 3 warnings generated.");
  EXPECT_EQ(closing_count(1, 0), "1 error generated.");
  EXPECT_EQ(closing_count(0, 1), "1 warning generated.");
  EXPECT_EQ(closing_count(0, 0), "");
}

}  // namespace
}  // namespace sc
