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

// A station row with the values the compiler does not interpret left at 0.
std::string station(int position, int type, int length, int value5 = 0, int value6 = 0) {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(type) + ", " +
         std::to_string(length) + ", 0, " + std::to_string(value5) + ", " + std::to_string(value6) +
         ", 0,0,0, 0,0,0, 30, 8,48,0, NAME";
}

int count_cells(const Scenario& model, bool (*counts)(const Cell&)) {
  int n = 0;
  for (const Cell& cell : model.cells) n += counts(cell) ? 1 : 0;
  return n;
}

TEST(TrainStations, StoresEveryValueInItsField) {
  const TrainRun run = compile_train(train_text({station(0, 28, 200),
                                                 "stazione, 1000, 28, 700, 11, 12, 0, 13, -14, 15, "
                                                 "16, 17, 18, 19, 10, 20, 30, SAN VITALDO  "}));
  const TableEntry& e = run.model.table[2];
  EXPECT_EQ(std::vector<int>({e.type_code, e.value1, e.value2, e.value3, e.value4}),
            std::vector<int>({28, 650, 1350, 1000, 37230}));
  EXPECT_EQ(std::vector<int>({e.flag, e.byte4, e.byte3, e.int1, e.int2, e.byte1, e.int3, e.int4,
                              e.int5, e.byte2}),
            std::vector<int>({11, 12, 0, 13, -14, 15, 16, 17, 18, 19}));
  EXPECT_EQ(e.text, "SAN VITALDO  ");
  EXPECT_TRUE(run.errors.diagnostics().empty());
}

// Extents, flags and cell marks by station type; `second` puts a station at 0
// before the one under test.
TEST(TrainStations, PlacesEachTypeOfStation) {
  struct Case {
    std::string row;
    bool second;
    int value1, value2, byte3, byte4;
    int stop_cell;  // -1: none
    int marks;
  };
  const std::vector<Case> cases = {
      {station(6350, 28, 200), false, 6250, 6450, 0, 0, -1, 0},
      {station(1000, 27, 200, 0, 1), true, 900, 1150, 1, 0, -1, 0},
      {station(10000, 12, 300, 0, 1), true, 9850, 10200, 1, 0, 203, 4},
      {station(10000, 12, 300, 0, 1), false, 9850, 10200, 0, 0, 203, 4},
      {station(0, 5, 100, 0, 1), false, -100, 150, 0, 0, 2, 0},
      {station(1000, 6, 300, 0, 1), true, 700, 1150, 0, 0, 22, 0},
      {station(1000, 7, 200, 0, 1), true, 800, 1200, 0, 0, 23, 4},
      {station(5000, 22, 600, 7), true, 4700, 5300, 0, 7, 105, 4},
      {station(5000, 22, 500, 7), true, 4750, 5250, 0, 0, 104, 4},
      {station(5000, 22, 600, 7), false, 4700, 5300, 0, 0, 105, 4},
      // The fourth mark would fall on cell 1.
      {station(0, 12, 600), false, -300, 300, 0, 0, 5, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    const TrainRun run =
        compile_train(c.second ? train_text({station(0, 28, 200), c.row}) : train_text({c.row}));
    ASSERT_TRUE(run.errors.diagnostics().empty());
    const int index = c.second ? 2 : 1;
    const TableEntry& e = run.model.table[index];
    EXPECT_EQ(std::vector<int>({e.value1, e.value2, e.byte3, e.byte4}),
              std::vector<int>({c.value1, c.value2, c.byte3, c.byte4}));
    const auto is_stop = [](const Cell& cell) { return cell.type_code == cell_type::kStationStop; };
    EXPECT_EQ(count_cells(run.model, is_stop), c.stop_cell < 0 ? 0 : 1);
    EXPECT_EQ(count_cells(run.model, [](const Cell& cell) { return cell.mark != 0; }), c.marks);
    if (c.stop_cell >= 0) {
      EXPECT_EQ(run.model.cells[c.stop_cell].type_code, cell_type::kStationStop);
      EXPECT_EQ(run.model.cells[c.stop_cell].info1, index);
    }
    if (c.marks > 0) {
      EXPECT_EQ(run.model.cells[c.stop_cell - 1].mark, 81);
    }
  }
}

TEST(TrainStations, StopCellReplacesWhateverTheCellHeld) {
  const TrainRun run =
      compile_train(train_text({"segnale, 10050, 1,4,1,1,0,2,2,1,1,0", station(10000, 12, 300)}));
  EXPECT_EQ(run.model.cells[202].type_code, cell_type::kStationStop);
  EXPECT_EQ(run.model.cells[202].info4, 5) << "only type and info1 change";
  EXPECT_TRUE(run.errors.diagnostics().empty());
}

TEST(TrainStations, KeepsThreeHundredAndFiftyMetresBetweenStations) {
  EXPECT_TRUE(compile_train(train_text({station(1000, 28, 200), station(1550, 28, 200)}))
                  .errors.diagnostics()
                  .empty());
  const TrainRun close =
      compile_train(train_text({station(1000, 28, 200), station(1500, 28, 200)}));
  EXPECT_EQ(close.errors.error_number(), error_number(ErrorCode::kStationsTooClose));
  EXPECT_EQ(close.errors.error_position(), 1500);
  EXPECT_EQ(close.model.table[2].value1, 1400) << "stored up to the failing check";
}

// A station too close behind the one before may move on; one that stands
// before it is in the wrong place in the file, and the message names the row
// it must come before.
TEST(TrainStations, TooCloseMessageTellsCloseFromOutOfOrder) {
  struct Case {
    std::vector<std::string> rows;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{station(1000, 28, 200), station(1500, 28, 200)}, "so that it starts at 1450 or later"},
      {{station(1000, 28, 200), station(5000, 28, 200), station(3000, 28, 200)},
       "the station at 3000 m is listed after the station at 5000 m (line 3), which lies "
       "further along the route: the station rows are out of order"},
      {{station(1000, 28, 200), station(5000, 12, 400), station(4950, 28, 200)},
       "the station at 4950 m is listed after the station at 5000 m (line 3)"},
  };
  for (const Case& c : cases) {
    const TrainRun run = compile_train(train_text(c.rows));
    ASSERT_EQ(run.errors.error_number(), error_number(ErrorCode::kStationsTooClose)) << c.says;
    EXPECT_NE(run.errors.diagnostics().back().message.find(c.says), std::string::npos)
        << run.errors.diagnostics().back().message;
  }
}

TEST(TrainStations, KeepsWhatAFailingEntryStoredBeforeItsCheck) {
  const TrainRun run = compile_train(train_text({station(125, 28, 200)}));
  EXPECT_EQ(run.errors.error_number(), error_number(ErrorCode::kStationPositionGrid));
  EXPECT_EQ(run.model.table[1].value3, 125);
  EXPECT_EQ(run.model.table[1].type_code, 0);
}

TEST(TrainStations, SeventyEightStationsFitBelowTheBoards) {
  std::vector<std::string> rows;
  for (int k = 0; k < 79; ++k) rows.push_back(station(1000 * k, 28, 200));
  const auto compile_first = [&](size_t n) {
    std::string text = "[generale]\r\n";
    for (size_t k = 0; k < n; ++k) text += rows[k] + "\r\n";
    return compile_train(text + "[fine]\r\n", empty_route(1600));
  };
  EXPECT_TRUE(compile_first(78).errors.diagnostics().empty());

  const TrainRun run = compile_first(79);
  EXPECT_EQ(run.errors.error_number(), error_number(ErrorCode::kTooManyStations));
  EXPECT_EQ(run.model.table[79].value3, 78000) << "the 79th station is stored";
  EXPECT_EQ(run.errors.diagnostics().back().location, (SourceLocation{80, 1}));
}

// With 80 text boards every entry is taken: the station row stops the pass
// before it reads or stores anything. With 79 the first station still fits.
TEST(TrainStations, NeverOverwritesATextBoard) {
  Scenario boards = empty_route();
  for (int i = 1; i <= 80; ++i) boards.table[i].text = "board";
  const TrainRun full = compile_train(train_text({"stazione, not a number"}), boards, 0);
  EXPECT_EQ(full.errors.error_number(), error_number(ErrorCode::kTooManyStations));
  EXPECT_EQ(full.model.table, boards.table);

  boards.table[1].text.clear();
  const TrainRun one = compile_train(train_text({station(0, 28, 200)}), boards, 1);
  EXPECT_EQ(one.errors.error_number(), error_number(ErrorCode::kTooManyStations));
  EXPECT_EQ(one.model.table[1].value1, -100);
  EXPECT_EQ(one.model.table[2].text, "board");
}

}  // namespace
}  // namespace sc
