#include "output/post_pass.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace sc {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr uint8_t kOccupied = cell_type::kSpeedBoard;

// Free cells 0 to last.
Scenario route(int32_t last) {
  Scenario model;
  model.cells.resize(static_cast<size_t>(last) + 1);
  return model;
}

void put(Scenario& model, int32_t index, uint8_t type, int16_t info1 = 0) {
  model.cells[static_cast<size_t>(index)].type_code = type;
  model.cells[static_cast<size_t>(index)].info1 = info1;
}

void occupy(Scenario& model, const std::vector<int32_t>& indices) {
  for (const int32_t index : indices) put(model, index, kOccupied);
}

// A slowdown start with its speed, and its end.
void slowdown(Scenario& model, int32_t start, int32_t end, int16_t speed) {
  put(model, start, cell_type::kSlowdownStart, speed);
  put(model, end, cell_type::kSlowdownEnd, speed);
}

// The cells holding an inserted code change.
std::vector<int32_t> marks(const Scenario& model) {
  std::vector<int32_t> found;
  for (size_t i = 0; i < model.cells.size(); ++i) {
    const Cell& cell = model.cells[i];
    if (cell.type_code == cell_type::kCodeChange && cell.info1 == 180) {
      found.push_back(static_cast<int32_t>(i));
    }
  }
  return found;
}

// Number and position of every error recorded.
std::vector<std::pair<int32_t, int32_t>> recorded(const ErrorLog& errors) {
  std::vector<std::pair<int32_t, int32_t>> found;
  for (const Finding& d : errors.diagnostics()) {
    EXPECT_TRUE(d.position.has_value());
    EXPECT_EQ(d.source, Source::kRoute);
    found.emplace_back(d.error_number(), d.position.value_or(0));
  }
  return found;
}

std::vector<int32_t> run_pass(Scenario& model, ErrorLog& errors) {
  block_post_pass(model, errors);
  return marks(model);
}

TEST(BlockPostPass, LeavesARouteWithoutSlowdownsUnchanged) {
  Scenario model = route(60);
  put(model, 10, cell_type::kSignal);
  put(model, 9, cell_type::kCodeChange, 270);
  put(model, 20, cell_type::kTunnelMarker);
  put(model, 30, cell_type::kCountdown);
  put(model, 40, cell_type::kStationStop);
  const std::vector<Cell> before = model.cells;
  ErrorLog errors;
  block_post_pass(model, errors);
  EXPECT_EQ(model.cells, before);
  EXPECT_THAT(errors.diagnostics(), IsEmpty());
}

TEST(BlockPostPass, TooFewCellsToVisitAnyIsLeftAlone) {
  // Cells 1 to U - 2 are visited: with U of 2 or less, none.
  for (const int32_t last : {-1, 0, 1, 2}) {
    Scenario model = route(last);
    if (last >= 1) put(model, 1, cell_type::kSlowdownStart, 60);
    const std::vector<Cell> before = model.cells;
    ErrorLog errors;
    block_post_pass(model, errors);
    EXPECT_EQ(model.cells, before) << "U = " << last;
    EXPECT_THAT(errors.diagnostics(), IsEmpty()) << "U = " << last;
  }
}

TEST(BlockPostPass, MarksASlowSlowdownBeforeAlongAndAfter) {
  struct Case {
    int32_t signal_after_end;  // 0: none
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      {0, {82, 89, 95, 108, 116, 124}},
      {135, {82, 89, 95, 108, 116, 124, 134}},
      {142, {82, 89, 95, 108, 116, 124, 141}},  // the last cell searched
      {143, {82, 89, 95, 108, 116, 124}},       // beyond the search
  };
  for (const Case& c : cases) {
    Scenario model = route(200);
    slowdown(model, 100, 130, 60);
    if (c.signal_after_end > 0) put(model, c.signal_after_end, cell_type::kSignal);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAreArray(c.expected))
        << "signal at " << c.signal_after_end;
    EXPECT_THAT(errors.diagnostics(), IsEmpty());
  }
}

TEST(BlockPostPass, MarksAlongASlowdownFollowTheLastMarkPlaced) {
  struct Case {
    std::vector<int32_t> occupied;
    int32_t end;
    std::vector<int32_t> expected_along;
    std::vector<std::pair<int32_t, int32_t>> errors;
  };
  const Case cases[] = {
      {{108}, 130, {107, 115, 123}, {}},
      {{107, 108}, 130, {109, 117, 125}, {}},
      // All three occupied: error 13 and no further marks along this slowdown.
      {{107, 108, 109}, 130, {}, {{13, 5400}}},
      {{115, 116, 117}, 130, {108}, {{13, 5800}}},
      // The eighth cell is the end cell itself: a neighbour takes the mark.
      {{}, 108, {107}, {}},
      {{107}, 108, {109}, {}},
  };
  for (const Case& c : cases) {
    Scenario model = route(200);
    slowdown(model, 100, c.end, 60);
    occupy(model, c.occupied);
    ErrorLog errors;
    std::vector<int32_t> along;
    for (const int32_t mark : run_pass(model, errors)) {
      if (mark > 100) along.push_back(mark);
    }
    EXPECT_THAT(along, ElementsAreArray(c.expected_along)) << "end " << c.end;
    EXPECT_EQ(recorded(errors), c.errors) << "end " << c.end;
  }
}

TEST(BlockPostPass, OnlySlowdownsBelow110AreMarkedAlongAndAfter) {
  struct Case {
    int16_t speed;
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      {109, {82, 89, 95, 108, 116, 124, 134}},
      {-1, {82, 89, 95, 108, 116, 124, 134}},  // a signed value
      {110, {82, 89, 95}},
      {200, {82, 89, 95}},
  };
  for (const Case& c : cases) {
    Scenario model = route(200);
    slowdown(model, 100, 130, c.speed);
    put(model, 135, cell_type::kSignal);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAreArray(c.expected)) << "speed " << c.speed;
    EXPECT_THAT(errors.diagnostics(), IsEmpty());
  }
}

TEST(BlockPostPass, WindowsBeforeAStartNeedAllTheirCellsAtOneOrMore) {
  struct Case {
    int32_t start;
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      {7, {}}, {8, {3}}, {13, {8}}, {14, {3, 9}}, {20, {9, 15}}, {21, {3, 10, 16}},
  };
  for (const Case& c : cases) {
    Scenario model = route(60);
    put(model, c.start, cell_type::kSlowdownStart, 110);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAreArray(c.expected)) << "start " << c.start;
  }
}

TEST(BlockPostPass, AWindowTakesItsFirstFreeCellOrRecords12) {
  struct Case {
    std::vector<int32_t> occupied;
    std::vector<int32_t> expected;
    std::vector<std::pair<int32_t, int32_t>> errors;
  };
  const Case cases[] = {
      {{95}, {82, 89, 94}, {}},
      {{95, 94}, {82, 89, 93}, {}},
      {{89}, {82, 88, 95}, {}},
      // A full window records 12 and the next windows are still served.
      {{93, 94, 95}, {82, 89}, {{12, 5000}}},
      {{93, 94, 95, 80, 81, 82}, {89}, {{12, 5000}, {12, 5000}}},
  };
  // Windows 95..93, 89..87 and 82..80; the scan along is off at speed 110.
  for (const Case& c : cases) {
    Scenario model = route(200);
    put(model, 100, cell_type::kSlowdownStart, 110);
    occupy(model, c.occupied);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAreArray(c.expected));
    EXPECT_EQ(recorded(errors), c.errors);
  }
  Scenario model = route(200);
  put(model, 100, cell_type::kSlowdownStart, 110);
  occupy(model, {93, 94, 95});
  ErrorLog errors;
  block_post_pass(model, errors);
  ASSERT_EQ(errors.diagnostics().size(), 1u);
  EXPECT_THAT(errors.diagnostics()[0].message, HasSubstr("cell 100 (5000 m)"));
  EXPECT_THAT(errors.diagnostics()[0].message, HasSubstr("93 to 95"));
}

TEST(BlockPostPass, ServesEverySignalWithinTwentyCellsBeforeAWarning) {
  struct Case {
    int32_t warning;
    std::vector<int32_t> signals;
    std::vector<int32_t> occupied;
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      {40, {36, 25}, {}, {24, 35}}, {40, {20, 19}, {}, {18}},  // 20 cells back is served, 21 is not
      {40, {39}, {38}, {37}},       {20, {3}, {}, {2}},
      {20, {3}, {2}, {1}},          {22, {2}, {}, {}},  // below cell 3: not looked at
  };
  for (const Case& c : cases) {
    Scenario model = route(60);
    put(model, c.warning, cell_type::kSlowdownWarning);
    for (const int32_t s : c.signals) put(model, s, cell_type::kSignal);
    occupy(model, c.occupied);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAreArray(c.expected)) << "warning " << c.warning;
    EXPECT_THAT(errors.diagnostics(), IsEmpty());
  }
}

TEST(BlockPostPass, CapsAnExistingCodeChangeBeforeASignalOrRecords11) {
  struct Case {
    Cell before1;  // cell s - 1
    Cell before2;  // cell s - 2
    int16_t expected_info1_1;
    int16_t expected_info1_2;
    bool error;
  };
  const Cell code120{.type_code = cell_type::kCodeChange, .info1 = 120};
  const Cell code270{.type_code = cell_type::kCodeChange, .info1 = 270};
  const Cell occupied{.type_code = kOccupied, .info1 = 7};
  const Cell tunnel{.type_code = cell_type::kTunnelMarker};
  const Case cases[] = {
      {code120, occupied, 120, 7, false}, {code270, occupied, 180, 7, false},
      {code270, Cell{}, 270, 180, false},  // s - 2 free: marked, s - 1 untouched
      {code270, tunnel, 270, 180, false}, {occupied, code270, 7, 180, false},
      {occupied, code120, 7, 120, false}, {occupied, occupied, 7, 7, true},
  };
  for (const Case& c : cases) {
    Scenario model = route(60);
    put(model, 40, cell_type::kSlowdownWarning);
    put(model, 30, cell_type::kSignal);
    model.cells[29] = c.before1;
    model.cells[28] = c.before2;
    ErrorLog errors;
    block_post_pass(model, errors);
    EXPECT_EQ(model.cells[29].info1, c.expected_info1_1);
    EXPECT_EQ(model.cells[28].info1, c.expected_info1_2);
    EXPECT_EQ(model.cells[28].type_code == cell_type::kCodeChange,
              c.before2.type_code == cell_type::kCodeChange || is_free(c.before2));
    if (c.error) {
      EXPECT_EQ(recorded(errors), (std::vector<std::pair<int32_t, int32_t>>{{11, 1500}}));
      EXPECT_THAT(errors.diagnostics()[0].message, HasSubstr("cell 30 (1500 m)"));
    } else {
      EXPECT_THAT(errors.diagnostics(), IsEmpty());
    }
  }
}

TEST(BlockPostPass, AScanThatReachesTheLastCellWithoutAnEndRecords13There) {
  {
    Scenario model = route(120);
    put(model, 100, cell_type::kSlowdownStart, 60);
    put(model, 119, cell_type::kSignal);  // not searched: no end cell
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAre(82, 89, 95, 108, 116));
    EXPECT_EQ(recorded(errors), (std::vector<std::pair<int32_t, int32_t>>{{13, 6000}}));
    EXPECT_THAT(errors.diagnostics()[0].message, HasSubstr("cell 120 (6000 m)"));
  }
  {
    // The mark due at the last cell has no cell after it to fall back on.
    Scenario model = route(116);
    put(model, 100, cell_type::kSlowdownStart, 60);
    occupy(model, {115, 116});
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAre(82, 89, 95, 108));
    EXPECT_EQ(recorded(errors), (std::vector<std::pair<int32_t, int32_t>>{{13, 5800}, {13, 5800}}));
  }
  {
    // A start at U - 2, the last cell visited.
    Scenario model = route(50);
    put(model, 48, cell_type::kSlowdownStart, 60);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAre(30, 37, 43));
    EXPECT_EQ(recorded(errors), (std::vector<std::pair<int32_t, int32_t>>{{13, 2500}}));
  }
}

TEST(BlockPostPass, TheSignalAfterTheEndTakesAFreeCellBeforeItWithinTheCells) {
  struct Case {
    int32_t last;
    int32_t end;
    std::vector<int32_t> occupied;
    std::vector<int32_t> signals;
    std::vector<int32_t> expected;
    std::vector<std::pair<int32_t, int32_t>> errors;
  };
  const Case cases[] = {
      {200, 130, {134}, {135}, {82, 89, 95, 108, 116, 124, 133}, {}},
      {200, 130, {133, 134}, {135}, {82, 89, 95, 108, 116, 124}, {{13, 6500}}},
      // Ending within 12 cells of the last cell: the search stops there.
      {135, 130, {}, {135}, {82, 89, 95, 108, 116, 124, 134}, {}},
      {135, 130, {}, {}, {82, 89, 95, 108, 116, 124}, {}},
      // The end is the last cell and due for a mark: no cell after it exists.
      {108, 108, {}, {}, {82, 89, 95, 107}, {}},
      {108, 108, {107}, {}, {82, 89, 95}, {{13, 5400}}},
  };
  for (const Case& c : cases) {
    Scenario model = route(c.last);
    slowdown(model, 100, c.end, 60);
    occupy(model, c.occupied);
    for (const int32_t s : c.signals) put(model, s, cell_type::kSignal);
    ErrorLog errors;
    EXPECT_THAT(run_pass(model, errors), ElementsAreArray(c.expected)) << "U = " << c.last;
    EXPECT_EQ(recorded(errors), c.errors) << "U = " << c.last;
  }
}

}  // namespace
}  // namespace sc
