#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "train/train_test_support.h"

namespace sc {
namespace {

using testing::compile_train;
using testing::empty_route;
using testing::train_text;
using testing::TrainRun;

std::vector<int> types(const Scenario& model, std::initializer_list<int> cells) {
  std::vector<int> values;
  for (int i : cells) values.push_back(model.cells[i].type_code);
  return values;
}

TEST(TrainSignals, StoresTheTimeOnlyForSxTwoRaisingLowTempos) {
  struct Case {
    int sx, tempo, signal_time;
  };
  for (const Case& c : {Case{2, 30, 101}, Case{2, 1, 101}, Case{2, 100, 101}, Case{2, 101, 101},
                        Case{2, 300, 44}, Case{2, 0, 0}, Case{2, -1, 255}, Case{1, 30, 0}}) {
    const TrainRun run =
        compile_train(train_text({"segnale, 11400, " + std::to_string(c.sx) +
                                  ", 4,1,1,0,2,2,1,1, " + std::to_string(c.tempo)}));
    EXPECT_EQ(run.model.cells[229].signal_time, c.signal_time) << c.sx << " " << c.tempo;
  }
}

TEST(TrainSignals, WrapsSumsToSixteenBitsAndMarksToEightBits) {
  const TrainRun run =
      compile_train(train_text({"segnale, 5000, 10, 4000, -4000, 0, 3300, 0, 7, 0, 0, 0"}));
  const Cell& signal = run.model.cells[101];
  EXPECT_EQ(std::vector<int>({signal.info1, signal.info2, signal.info3, signal.info4}),
            std::vector<int>({-25529, 25536, 0, -32506}));
  EXPECT_EQ(std::vector<int>({run.model.cells[99].mark, run.model.cells[97].mark,
                              run.model.cells[95].mark, run.model.cells[93].mark}),
            std::vector<int>({45, 46, 47, 48}));
}

TEST(TrainSignals, LeavesOutMarksBeforeTheFirstCell) {
  const TrainRun run = compile_train(train_text({"segnale, 100, 1,4,1,1,0,2,2,1,1,0"}));
  EXPECT_EQ(run.model.cells[3].type_code, cell_type::kSignal);
  EXPECT_EQ(run.model.cells[1].mark, 51);
  EXPECT_EQ(run.model.cells[0].mark, 0);
  EXPECT_TRUE(run.errors.diagnostics().empty());
}

TEST(TrainSignals, ReplaceATunnelMarker) {
  Scenario model = empty_route();
  model.cells[229].type_code = cell_type::kTunnelMarker;
  model.cells[10].type_code = cell_type::kTunnelMarker;
  const TrainRun run = compile_train(
      train_text({"segnale, 11400, 1,4,1,1,0,2,2,1,1,0", "abbattimento, 500, 0"}), model);
  EXPECT_EQ(types(run.model, {229, 10}), std::vector<int>({1, 13}));
  EXPECT_TRUE(run.errors.diagnostics().empty());
}

TEST(TrainSlowdowns, WarnAndCountDownOnlyAfterFifteenHundredMetres) {
  const TrainRun at1500 = compile_train(train_text({"rallentamento, 1500, 30, 500, 2, 1, 5"}));
  EXPECT_EQ(types(at1500.model, {31, 41, 7, 6, 5, 4, 3}), std::vector<int>({3, 2, 0, 0, 0, 0, 0}));

  const TrainRun at1550 = compile_train(train_text({"rallentamento, 1550, 30, 500, 2, 1, 5"}));
  const Scenario& m = at1550.model;
  EXPECT_EQ(types(m, {32, 42, 8, 7, 6, 5, 4, 3}), std::vector<int>({3, 2, 4, 5, 5, 5, 5, 0}));
  for (int i : {32, 42}) {
    EXPECT_EQ(std::vector<int>({m.cells[i].info1, m.cells[i].info2, m.cells[i].info3}),
              std::vector<int>({30, 5, 2}));
  }
  EXPECT_EQ(std::vector<int>({m.cells[8].info1, m.cells[8].info2, m.cells[8].info3}),
            std::vector<int>({30, 5, 0}));
  EXPECT_EQ(std::vector<int>({m.cells[7].info1, m.cells[6].info1, m.cells[5].info1,
                              m.cells[4].info1, m.cells[4].info2}),
            std::vector<int>({1, 2, 3, 4, 4}));
  EXPECT_TRUE(at1550.errors.diagnostics().empty());
}

TEST(TrainSlowdowns, StoreNoSpeedDifferenceOfZeroAndKeepLowBits) {
  const TrainRun run = compile_train(train_text({"rallentamento, 1550, 70000, 0, 0, 1, 0"}));
  const Scenario& m = run.model;
  EXPECT_EQ(types(m, {32, 8, 7}), std::vector<int>({3, 4, 5})) << "start and end share a cell";
  EXPECT_EQ(
      std::vector<int>({m.cells[32].info1, m.cells[32].info2, m.cells[8].info1, m.cells[7].info2}),
      std::vector<int>({4464, 0, 4464, 0}));
}

TEST(TrainSlowdowns, CountdownFailureKeepsTheCellsAlreadyMarked) {
  const TrainRun run =
      compile_train(train_text({"abbattimento, 300, 0", "rallentamento, 1550, 30, 500, 0, 1, 0"}));
  EXPECT_EQ(run.errors.error_number(), error_number(ErrorCode::kCountdownCellTaken));
  EXPECT_EQ(types(run.model, {42, 32, 8, 7, 6, 5, 4}), std::vector<int>({2, 3, 4, 0, 13, 0, 0}));
}

TEST(TrainSlowdowns, EndBeyondTheLastCellWritesNothing) {
  const TrainRun run = compile_train(train_text({"rallentamento, 33000, 30, 1000, 0, 1, 0"}));
  EXPECT_EQ(run.errors.error_number(), error_number(ErrorCode::kEndCellTaken));
  for (const Cell& cell : run.model.cells) ASSERT_EQ(cell.type_code, 0);
  // An end in the last cell is accepted.
  const TrainRun last = compile_train(train_text({"rallentamento, 33000, 30, 950, 0, 1, 0"}));
  EXPECT_TRUE(last.errors.diagnostics().empty());
  EXPECT_EQ(last.model.cells[680].type_code, cell_type::kSlowdownEnd);
}

TEST(TrainAbbattimento, PlacesACodeChangeForAPositiveValue) {
  struct Case {
    int value, type, info1;
  };
  for (const Case& c :
       {Case{180, 12, 180}, Case{70000, 12, 4464}, Case{0, 13, 0}, Case{-5, 13, 0}}) {
    const TrainRun run =
        compile_train(train_text({"abbattimento, 1020, " + std::to_string(c.value)}));
    EXPECT_EQ(run.model.cells[20].type_code, c.type) << c.value;
    EXPECT_EQ(run.model.cells[20].info1, c.info1) << c.value;
  }
}

}  // namespace
}  // namespace sc
