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

}  // namespace
}  // namespace sc
