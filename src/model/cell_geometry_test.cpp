#include "model/cell_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sc {
namespace {

TEST(CellGeometry, CellIndexAddsTheOffsetBeforeRounding) {
  EXPECT_EQ(cell_index(75), 2);     // 1.5
  EXPECT_EQ(cell_index(125), 2);    // 2.5
  EXPECT_EQ(cell_index(25, 1), 2);  // 1.5, not round(0.5) + 1
  EXPECT_EQ(cell_index(300, 1), 7);
  EXPECT_EQ(cell_index(-1200, 1), -23);
}

TEST(CellGeometry, PositionCheckIsExact) {
  EXPECT_TRUE(position_fits(33900, 100, 680));
  EXPECT_FALSE(position_fits(33901, 100, 680));
  EXPECT_TRUE(position_fits(33200, 800, 680));
  EXPECT_FALSE(position_fits(33201, 800, 680));
  EXPECT_TRUE(position_fits(INT32_MIN, 100, 680));
  EXPECT_FALSE(position_fits(INT32_MAX, 800, 680));
}

}  // namespace
}  // namespace sc
