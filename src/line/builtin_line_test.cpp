#include <gtest/gtest.h>

#include <set>

#include "documents/documents.h"
#include "line/compile_for_test.h"

namespace sc {
namespace {

using testing::compile;
using testing::Compiled;

class BuiltinLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string text = render_document(dati_linea());
    ASSERT_EQ(text.size(), 2792u);
    compiled_ = new Compiled(compile(text));
  }
  static void TearDownTestSuite() { delete compiled_; }
  static const Scenario& model() { return compiled_->model; }
  static Compiled* compiled_;
};
Compiled* BuiltinLine::compiled_ = nullptr;

TEST_F(BuiltinLine, CompilesWithoutError) {
  EXPECT_FALSE(compiled_->fault.has_value());
  EXPECT_EQ(compiled_->errors.error_number(), 0);
  EXPECT_TRUE(compiled_->errors.diagnostics().empty());
  EXPECT_EQ(compiled_->result.end, Flow::kGoOn);
  EXPECT_EQ(compiled_->result.board_cursor, 80);
}

TEST_F(BuiltinLine, HeaderEntries) {
  const auto values = [](const TableEntry& e) {
    return std::vector<int32_t>{e.value1, e.value2, e.value3};
  };
  for (int e : {81, 82, 83}) EXPECT_EQ(values(model().table[e]), (std::vector{0, 0, 0})) << e;
  EXPECT_EQ(values(model().table[84]), (std::vector{0, 27000, 0}));
  EXPECT_EQ(values(model().table[85]), (std::vector{0, 1, 0}));
  // Code 4 from the keyword, then 0 because the second value is 0.
  EXPECT_EQ(values(model().table[86]), (std::vector{0, 0, 0}));
  for (int e = 0; e <= 80; ++e) EXPECT_EQ(model().table[e], TableEntry{}) << e;
}

TEST_F(BuiltinLine, CellsAndGradients) {
  ASSERT_EQ(model().cells.size(), 681u);
  const struct {
    int first, last;
    uint8_t gradient;
  } ranges[] = {{0, 6, 102},  {7, 22, 100},    {23, 38, 90},
                {39, 44, 96}, {526, 677, 100}, {678, 680, 0}};
  for (const auto& range : ranges) {
    for (int i = range.first; i <= range.last; ++i) {
      EXPECT_EQ(model().cells[i].gradient, range.gradient) << "cell " << i;
    }
  }
  // "pendenza, 25850, 3" runs from cell 517 to the last row's cell 525.
  EXPECT_EQ(model().cells[517].gradient, 103);
  EXPECT_EQ(model().cells[525].gradient, 103);
}

TEST_F(BuiltinLine, ProfileStartsStraightThenBendsRight) {
  ASSERT_TRUE(model().profile.has_value());
  const Profile& p = *model().profile;
  ASSERT_EQ(p.last_point(), 34000);
  for (int m : {0, 1}) {
    EXPECT_EQ(p.tag(m, Profile::kX), Profile::Tag::kInteger);
    EXPECT_EQ(p.tag(m, Profile::kY), Profile::Tag::kInteger);
  }
  EXPECT_EQ(p.value(1, Profile::kY), 1.0);
  for (int m = 2; m <= 450; ++m) {
    ASSERT_EQ(p.value(m, Profile::kX), 0.0) << m;
    ASSERT_EQ(p.value(m, Profile::kY), static_cast<double>(m)) << m;
  }

  // The first two arc steps of "curvad4, 450, 50" (curvature 0.001), as the
  // simulator computes them; each literal is the shortest that reads back as
  // the same double.
  EXPECT_EQ(p.value(451, Profile::kX), 0.001);
  EXPECT_EQ(p.value(451, Profile::kY), 451.0);
  EXPECT_EQ(p.value(452, Profile::kX), 0.003);
  EXPECT_EQ(p.value(452, Profile::kY), 451.999999);

  for (int m = 2; m <= 33998; ++m) {
    ASSERT_EQ(p.tag(m, Profile::kX), Profile::Tag::kDouble) << m;
    ASSERT_EQ(p.tag(m, Profile::kY), Profile::Tag::kDouble) << m;
  }
  for (int m : {33999, 34000}) {
    EXPECT_EQ(p.tag(m, Profile::kX), Profile::Tag::kEmpty);
    EXPECT_EQ(p.tag(m, Profile::kY), Profile::Tag::kEmpty);
  }
}

TEST_F(BuiltinLine, Tunnels) {
  const struct {
    int first, last;
    uint8_t type;
  } tunnels[] = {{178, 183, 1}, {209, 215, 2}, {436, 459, 1}, {500, 511, 2}};
  const std::set<int> markers = {181, 212, 439, 443, 447, 451, 455, 459, 503, 507, 511};
  for (int i = 0; i <= 680; ++i) {
    uint8_t type = 0;
    for (const auto& t : tunnels) {
      if (i >= t.first && i <= t.last) type = t.type;
    }
    EXPECT_EQ(model().cells[i].tunnel_type, type) << "cell " << i;
    EXPECT_EQ(model().cells[i].type_code == cell_type::kTunnelMarker, markers.contains(i))
        << "cell " << i;
  }
}

TEST_F(BuiltinLine, SpeedBoards) {
  const struct {
    int cell;
    int16_t info1, info2, info3, info4;
  } boards[] = {{7, 1500, 1600, 1600, 0},    {165, 1400, 1500, 1500, 10},
                {185, 1400, 1500, 1500, 0},  {296, 1600, 1800, 1800, 0},
                {405, 1100, 1200, 1200, 10}, {425, 1100, 1200, 1200, 0}};
  int count = 0;
  for (const Cell& cell : model().cells) count += cell.type_code == cell_type::kSpeedBoard;
  EXPECT_EQ(count, 6);
  for (const auto& b : boards) {
    const Cell& cell = model().cells[b.cell];
    EXPECT_EQ(cell.type_code, cell_type::kSpeedBoard) << b.cell;
    EXPECT_EQ(cell.info1, b.info1) << b.cell;
    EXPECT_EQ(cell.info2, b.info2) << b.cell;
    EXPECT_EQ(cell.info3, b.info3) << b.cell;
    EXPECT_EQ(cell.info4, b.info4) << b.cell;
  }
}

}  // namespace
}  // namespace sc
