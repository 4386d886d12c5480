#include "textio/rounding.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(round_half_even(2.5), 2);
  EXPECT_EQ(round_half_even(3.5), 4);
  EXPECT_EQ(round_half_even(-2.5), -2);
  EXPECT_EQ(round_half_even(-3.5), -4);
  EXPECT_EQ(round_half_even(1.4), 1);
  EXPECT_EQ(round_half_even(1.6), 2);
  EXPECT_EQ(round_half_even(-0.4), 0);
}

TEST(Rounding, CellIndexAddsTheOffsetBeforeRounding) {
  EXPECT_EQ(cell_index(75), 2);     // 1.5
  EXPECT_EQ(cell_index(125), 2);    // 2.5
  EXPECT_EQ(cell_index(25, 1), 2);  // 1.5, not round(0.5) + 1
  EXPECT_EQ(cell_index(300, 1), 7);
  EXPECT_EQ(cell_index(-1200, 1), -23);
}

TEST(Rounding, PositionCheckIsExact) {
  EXPECT_TRUE(position_fits(33900, 100, 680));
  EXPECT_FALSE(position_fits(33901, 100, 680));
  EXPECT_TRUE(position_fits(33200, 800, 680));
  EXPECT_FALSE(position_fits(33201, 800, 680));
  EXPECT_TRUE(position_fits(INT32_MIN, 100, 680));
  EXPECT_FALSE(position_fits(INT32_MAX, 800, 680));
}

}  // namespace
}  // namespace sc
