#include "train/train_compiler.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "documents/documents.h"
#include "train/train_test_support.h"

namespace sc {
namespace {

using testing::compile_train;
using testing::empty_route;
using testing::train_text;
using testing::TrainRun;

std::vector<int> speeds(const Scenario& model, int first, int count) {
  std::vector<int> values;
  for (int i = first; i < first + count; ++i) values.push_back(model.cells[i].speed_limit);
  return values;
}

TEST(TrainCompiler, CompilesTheBuiltInTrainFile) {
  const TrainRun run = compile_train(render_document(dati_treno()));
  const Scenario& m = run.model;
  EXPECT_TRUE(run.errors.diagnostics().empty());
  EXPECT_EQ(run.errors.error_number(), 0);

  struct Span {
    int first, last, speed, adhesion;
  };
  for (const Span& span : {Span{0, 183, 16, 100}, Span{184, 294, 15, 100}, Span{295, 423, 18, 100},
                           Span{424, 677, 12, 100}, Span{678, 680, 0, 0}}) {
    for (int i = span.first; i <= span.last; ++i) {
      ASSERT_EQ(m.cells[i].speed_limit, span.speed) << "cell " << i;
      ASSERT_EQ(m.cells[i].adhesion, span.adhesion) << "cell " << i;
    }
  }
  EXPECT_EQ(m.table[entry::kFigures].value1, 125);
  EXPECT_EQ(m.table[entry::kFigures].value3, 2);
  const TableEntry& train = m.table[entry::kTrainHeader];
  EXPECT_EQ(train.int1, 50);
  EXPECT_EQ(std::vector<int>({train.int3, train.int4, train.int5}), std::vector<int>({8, 41, 0}));
  EXPECT_EQ(train.text, "K7306");

  const TableEntry& first = m.table[1];
  EXPECT_EQ(first.text, "VARDEO");
  EXPECT_EQ(
      std::vector<int>({first.type_code, first.value1, first.value2, first.value3, first.value4}),
      std::vector<int>({12, -300, 300, 0, 31320}));
  EXPECT_EQ(std::vector<int>({first.flag, first.int1, first.int2, first.byte1, first.int3,
                              first.int4, first.int5, first.byte2, first.byte3, first.byte4}),
            std::vector<int>({0, 1, 1, 0, 4, 1, 1, 1, 0, 0}));
  EXPECT_EQ(m.cells[5].type_code, cell_type::kStationStop);
  EXPECT_EQ(m.cells[5].info1, 1);
  EXPECT_EQ(std::vector<int>({m.cells[1].mark, m.cells[2].mark, m.cells[3].mark, m.cells[4].mark}),
            std::vector<int>({0, 83, 82, 81}));

  const TableEntry& last = m.table[8];
  EXPECT_EQ(last.text, "LUSTRELLA");
  EXPECT_EQ(std::vector<int>(
                {last.type_code, last.value1, last.value2, last.value3, last.value4, last.flag}),
            std::vector<int>({12, 26200, 26500, 26350, 33180, 1}));
  EXPECT_EQ(m.cells[529].type_code, cell_type::kStationStop);
  EXPECT_EQ(m.cells[529].info1, 8);
  EXPECT_EQ(std::vector<int>(
                {m.cells[528].mark, m.cells[527].mark, m.cells[526].mark, m.cells[525].mark}),
            std::vector<int>({81, 82, 83, 84}));
  EXPECT_EQ(m.table[9], TableEntry{});

  const Cell& signal = m.cells[229];
  EXPECT_EQ(std::vector<int>({signal.type_code, signal.info1, signal.info2, signal.info3,
                              signal.info4, signal.signal_time}),
            std::vector<int>({1, 42, 11, 11, 5, 0}));
  EXPECT_EQ(std::vector<int>({m.cells[227].mark, m.cells[225].mark, m.cells[223].mark,
                              m.cells[221].mark, m.cells[219].mark}),
            std::vector<int>({51, 52, 53, 54, 0}));
  const Cell& timed = m.cells[245];
  EXPECT_EQ(std::vector<int>({timed.type_code, timed.info1, timed.info4, timed.signal_time}),
            std::vector<int>({1, 32, 8, 0}));
  EXPECT_EQ(std::vector<int>(
                {m.cells[243].mark, m.cells[241].mark, m.cells[239].mark, m.cells[237].mark}),
            std::vector<int>({81, 82, 83, 84}));
}

// Every error the train file records: its number, its position and whether the
// end step (which fills the adhesion of cell 0 from the first row) still ran.
TEST(TrainCompiler, RecordsEachErrorOfTheTrainFile) {
  constexpr int32_t kUnchanged = 4242;
  constexpr std::string_view kStation = "0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X";
  const auto station = [&](std::string_view head) {
    return "stazione, " + std::string(head) + ", " + std::string(kStation);
  };
  struct Case {
    std::string name;
    std::vector<std::string> rows;
    int32_t number;
    int32_t position;
    bool end_step_ran;
    int board_cursor = testing::kNoBoards;
    void (*prepare)(Scenario&) = nullptr;
  };
  const std::vector<Case> cases = {
      {"km reference",
       {},
       2,
       kUnchanged,
       true,
       testing::kNoBoards,
       [](Scenario& m) { m.table[entry::kReferenceDue].value2 = 30; }},
      {"abbattimento on a taken cell",
       {"abbattimento,1000,0", "abbattimento,1010,5"},
       7,
       1010,
       false},
      {"station off the cell grid", {station("125, 28, 200")}, 8, 125, false},
      {"station length", {station("1000, 28, 250")}, 9, 1000, false},
      {"stations reach the boards",
       {station("0, 28, 200"), station("1000, 28, 200")},
       10,
       kUnchanged,
       false,
       3},
      {"beyond the route", {"velocita, 33901, 80"}, 15, 33901, true},
      {"station beyond the route", {station("33250, 28, 200")}, 15, 33250, true},
      {"signal on a taken cell",
       {"segnale,11400,1,4,1,1,0,2,2,1,1,0", "segnale,11420,1,4,1,1,0,2,2,1,1,0"},
       16,
       11420,
       false},
      {"slowdown warning",
       {"abbattimento,400,0", "rallentamento,1550,30,500,0,0,0"},
       17,
       1550,
       false},
      {"slowdown start",
       {"segnale,1950,1,4,1,1,0,2,2,1,1,0", "rallentamento,1950,30,500,0,0,0"},
       18,
       1950,
       false},
      {"slowdown end",
       {"segnale,2950,1,4,1,1,0,2,2,1,1,0", "rallentamento,1950,30,1000,0,0,0"},
       19,
       1950,
       false},
      {"slowdown end beyond the cells", {"rallentamento,33000,30,1000,0,0,0"}, 19, 33000, false},
      {"slowdown countdown",
       {"abbattimento,300,0", "rallentamento,1550,30,500,0,1,0"},
       20,
       1550,
       false},
      {"stations too close", {station("1000, 28, 200"), station("1300, 28, 200")}, 22, 1300, false},
      {"stop cell too low", {station("0, 12, 100")}, 24, kUnchanged, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = "[generale]\r\naderenza, 0, 100\r\n";
    for (const std::string& row : c.rows) text += row + "\r\n";
    text += "[fine]\r\n";
    Scenario model = empty_route();
    if (c.prepare) c.prepare(model);
    ErrorLog errors;
    errors.set_position(kUnchanged);
    const TrainRun run = compile_train(text, std::move(model), c.board_cursor, std::move(errors));
    EXPECT_EQ(run.errors.error_number(), c.number);
    EXPECT_EQ(run.errors.error_position(), c.position);
    EXPECT_EQ(run.model.cells[0].adhesion == 100, c.end_step_ran);
    ASSERT_EQ(run.errors.diagnostics().size(), 1u);
    EXPECT_FALSE(run.errors.diagnostics()[0].message.empty());
  }
}

TEST(TrainCompiler, FailuresOfTheTrapKindThrowFault) {
  const std::vector<std::string> texts = {
      "",
      "[generale]\r\nsegnale, 100, 1, 2\r\n",
      train_text({"vetture, due"}),
      train_text({"sabbia, 32768"}),
      train_text({"velocita, 0, 1278", "velocita, 100, 80"}),
      train_text({"velocita, 6000, 1278"}),
      train_text({"segnale,-200,1,4,1,1,0,2,2,1,1,0"}),
      train_text({"abbattimento,-50,1"}),
      train_text({"rallentamento,2000,30,2147483647,0,0,0"}),
      train_text({"rallentamento,2000,30,-2500,0,0,0"}),
      train_text({"stazione, 1000, 256, 200, 0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X"}),
      train_text({"stazione, 1000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 30, 1000000,0,0, X"}),
      train_text({"stazione, 1000, 12, 2147483600, 0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X"}),
      train_text({"stazione, 1000, 8, 2147483600, 0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X"}),
      train_text({"stazione, 32400, 8, 2000, 0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X"}),
  };
  for (const std::string& text : texts) {
    EXPECT_THROW(compile_train(text), Fault) << text;
  }
  EXPECT_THROW(compile_train(train_text({"velocita, 0, 80"}), Scenario{}), Fault);
}

TEST(TrainCompiler, ReportsWhereTheFaultyFieldStands) {
  const auto fault_location = [](const std::string& text) {
    try {
      compile_train(text);
    } catch (const Fault& fault) {
      return fault.where();
    }
    return SourceLocation{};
  };
  // The speed that does not fit is found when the next row fills its cells.
  EXPECT_EQ(fault_location(train_text({"velocita,  0, 1278", "velocita, 100, 80"})),
            (SourceLocation{2, 15}));
  EXPECT_EQ(fault_location(train_text({"vetture, 2", "sabbia, 40000"})), (SourceLocation{3, 9}));
  // A cell index outside the cells is blamed on the field it comes from.
  const struct {
    std::string row;
    SourceLocation where;
  } cells_outside[] = {
      {"segnale,-200,1,4,1,1,0,2,2,1,1,0", {3, 9}},
      {"abbattimento,-50,1", {3, 14}},
      {"rallentamento,-2000,30,100,0,0,0", {3, 15}},
      {"rallentamento,2000,30,-2500,0,0,0", {3, 23}},
      {"stazione, 32400, 8, 2000, 0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X", {3, 21}},
  };
  for (const auto& c : cells_outside) {
    EXPECT_EQ(fault_location(train_text({"vetture, 2", c.row})), c.where) << c.row;
  }

  const auto error_location = [](const std::string& text) {
    const TrainRun run = compile_train(text);
    return run.errors.diagnostics().empty() ? SourceLocation{}
                                            : run.errors.diagnostics().back().location;
  };
  EXPECT_EQ(
      error_location(train_text({"stazione,  125, 28, 200, 0,0,0, 0,0,0, 0,0,0, 30, 8,48,0, X"})),
      (SourceLocation{2, 12}));
  EXPECT_EQ(error_location(train_text(
                {"segnale,11400,1,4,1,1,0,2,2,1,1,0", "  segnale, 11420,1,4,1,1,0,2,2,1,1,0"})),
            (SourceLocation{3, 12}));
}

TEST(TrainCompiler, ReadsKeywordsInAnyCaseWithBlankSeparatedNumbers) {
  const TrainRun run = compile_train(train_text({
      "Percentuale Massa FRENATA,  130",
      "NUMERO VETTURE 3   ,   4",
      "Orologio,  9 5  7",
      "sabbia , 12",
      "[vel_limite]",
      "VELOCITA,,100",
  }));
  EXPECT_EQ(run.model.table[entry::kFigures].value1, 130);
  EXPECT_EQ(run.model.table[entry::kFigures].value3, 4);
  const TableEntry& train = run.model.table[entry::kTrainHeader];
  EXPECT_EQ(std::vector<int>({train.int1, train.int3, train.int4, train.int5}),
            std::vector<int>({12, 9, 5, 7}));
  EXPECT_EQ(run.model.cells[0].speed_limit, 20);
  EXPECT_TRUE(run.errors.diagnostics().empty());
}

// Up to two fields holding a hyphen stand for the field after them; the third
// is tested as a keyword whatever it holds.
TEST(TrainCompiler, SkipsHyphenFieldsBeforeAKeyword) {
  struct Case {
    std::string_view row;
    int sand;
  };
  for (const Case& c :
       {Case{"-sabbia, 7", 0}, Case{"---, sabbia, 7", 7}, Case{"-, --, sabbia, 7", 7},
        Case{"-, -sabbia, 7", 0}, Case{"-, -, -sabbia, 7", 7}, Case{"a-b, sabbia, 7", 7}}) {
    const TrainRun run = compile_train(train_text({std::string(c.row)}));
    EXPECT_EQ(run.model.table[entry::kTrainHeader].int1, c.sand) << c.row;
  }
}

TEST(TrainCompiler, RunsEveryKeywordAFieldNamesInTableOrder) {
  const TrainRun run = compile_train(train_text({"sabbia e vetture, 3, 9"}));
  EXPECT_EQ(run.model.table[entry::kFigures].value3, 3);
  EXPECT_EQ(run.model.table[entry::kTrainHeader].int1, 9);

  const TrainRun both = compile_train(
      train_text({"rallentamento dopo il segnale, 2000,1,4,1,1,0,2,2,1,1,0, 3000,30,500,0,0,0"}));
  EXPECT_EQ(both.model.cells[41].type_code, cell_type::kSignal);
  EXPECT_EQ(both.model.cells[61].type_code, cell_type::kSlowdownStart);
}

TEST(TrainCompiler, LeavesTheLastFieldOfTheFileUnprocessed) {
  // A keyword as the very last field reads no values (and so cannot fail).
  EXPECT_EQ(compile_train("[generale]\r\nvetture, 2\r\nsabbia\r\n\r\n")
                .model.table[entry::kTrainHeader]
                .int1,
            0);
  EXPECT_EQ(compile_train("[generale]\r\n-\r\nsabbia").model.table[entry::kTrainHeader].int1, 0);
  // Without the general section there are no rows at all.
  const TrainRun none = compile_train("vetture, 2\r\n[fine]\r\n");
  EXPECT_EQ(none.model.table[entry::kFigures].value3, 0);
  EXPECT_TRUE(none.errors.diagnostics().empty());
}

TEST(TrainCompiler, FillsSpeedFromEachRowToTheNextInFileOrder) {
  struct Case {
    std::vector<std::string> rows;
    std::vector<int> first_cells;
  };
  const std::vector<Case> cases = {
      {{"velocita, 0, 80"}, {16, 16, 16}},
      // 75 / 50 and 125 / 50 both round to 2.
      {{"velocita, 75, 50", "velocita, 200, 100"}, {0, 0, 10, 10, 20, 20}},
      {{"velocita, 125, 50", "velocita, 200, 100"}, {0, 0, 10, 10, 20, 20}},
      // A row behind the cursor still fills the one cell at the cursor.
      {{"velocita, 200, 50", "velocita, 100, 100", "velocita, 300, 60"},
       {0, 0, 0, 0, 10, 20, 12, 12}},
      {{"velocita, 0, 82", "velocita, 100, 83"}, {16, 16, 17, 17}},
      {{"velocita, 0, -2"}, {0, 0}},
  };
  for (const Case& c : cases) {
    const TrainRun run = compile_train(train_text(c.rows));
    EXPECT_EQ(speeds(run.model, 0, static_cast<int>(c.first_cells.size())), c.first_cells)
        << c.rows.back();
  }
}

TEST(TrainCompiler, KeepsTheLowBitsOfAdhesion) {
  const TrainRun run = compile_train(train_text({"aderenza, 0, 300", "aderenza, 100, -1"}));
  EXPECT_EQ(run.model.cells[0].adhesion, 44);
  EXPECT_EQ(run.model.cells[2].adhesion, 255);
  EXPECT_EQ(run.model.cells[680].adhesion, 0);
}

// Rows behind the cursor push it on one cell at a time; the fill never passes
// the last cell, and the tail writes the one cell left.
TEST(TrainCompiler, StopsFillingAtTheLastCell) {
  const TrainRun run =
      compile_train(train_text({"velocita, 7350, 80", "velocita, 100, 90", "velocita, 100, 100",
                                "velocita, 100, 110", "velocita, 100, 120"}),
                    empty_route(150));
  EXPECT_EQ(speeds(run.model, 145, 5), std::vector<int>({0, 0, 16, 18, 24}));
  EXPECT_TRUE(run.errors.diagnostics().empty());
}

TEST(TrainCompiler, StopsAtTheFirstSignalOrSlowdownAfterAnEarlierError) {
  for (std::string_view row :
       {"segnale, 11400, 1,4,1,1,0,2,2,1,1,0", "rallentamento, 11400, 30, 500, 0, 0, 0"}) {
    ErrorLog errors;
    errors.record_at(ErrorCode::kBeyondRoute, 33901, Source::kLineFile, {},
                     "left by the line file");
    const TrainRun run =
        compile_train(train_text({"velocita, 0, 80", "abbattimento, 500, 0", std::string(row),
                                  "segnale, 12000, 1,4,1,1,0,2,2,1,1,0"}),
                      empty_route(), testing::kNoBoards, std::move(errors));
    EXPECT_EQ(run.errors.error_number(), error_number(ErrorCode::kBeyondRoute));
    EXPECT_EQ(run.errors.error_position(), 11400);
    EXPECT_EQ(run.errors.diagnostics().size(), 1u);
    EXPECT_EQ(run.model.cells[10].type_code, cell_type::kAbbattimento);
    EXPECT_NE(run.model.cells[229].type_code, cell_type::kEmpty) << row;
    EXPECT_EQ(run.model.cells[241].type_code, cell_type::kEmpty);
    EXPECT_EQ(run.model.cells[0].speed_limit, 0) << "no end step";
  }
}

TEST(TrainCompiler, ReferenceErrorReplacesAnEarlierNumber) {
  Scenario model = empty_route();
  model.table[entry::kReferenceUno].value1 = 125;
  const TrainRun run = compile_train(train_text({"velocita, 33901, 80"}), std::move(model));
  EXPECT_EQ(run.errors.error_number(), error_number(ErrorCode::kKmReferenceGrid));
  EXPECT_EQ(run.errors.error_position(), 33901);
  ASSERT_EQ(run.errors.diagnostics().size(), 2u);
  EXPECT_EQ(run.errors.diagnostics()[0].error_number(), error_number(ErrorCode::kBeyondRoute));
}

TEST(TrainCompiler, CompilesALongRouteWithARowEveryCell) {
  constexpr int kRoute = 1000000;
  constexpr int kCells = (kRoute + 7000) / 50 + 1;
  std::string text = "[generale]\r\n";
  for (int p = 0; p < kRoute; p += 50) {
    text += "velocita, " + std::to_string(p) + ", " + std::to_string(p % 100 == 0 ? 100 : 50) +
            "\r\naderenza, " + std::to_string(p) + ", 90\r\n";
    if (p % 1000 == 0) text += "segnale, " + std::to_string(p) + ", 1,4,1,1,0,2,2,1,1,0\r\n";
  }
  text += "[fine]\r\n";
  const TrainRun run = compile_train(text, empty_route(kCells));
  EXPECT_TRUE(run.errors.diagnostics().empty());
  EXPECT_EQ(speeds(run.model, 19996, 6), std::vector<int>({20, 10, 20, 10, 10, 10}));
  EXPECT_EQ(run.model.cells[19981].type_code, cell_type::kSignal);
  EXPECT_EQ(run.model.cells[kCells - 4].adhesion, 90);
}

}  // namespace
}  // namespace sc
