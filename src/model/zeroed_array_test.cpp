#include "model/zeroed_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace sc {
namespace {

// Sizes from empty to blocks the allocator takes from fresh pages.
TEST(ZeroedArray, StartsZeroHoldsWhatIsWrittenAndCopiesWhole) {
  for (const size_t size : {size_t{0}, size_t{1000}, size_t{100000}, (size_t{3} << 20) / 8 + 7}) {
    ZeroedArray<double> values(size);
    uint64_t nonzero = 0;
    for (size_t i = 0; i < size; ++i) nonzero += values[i] != 0.0;
    EXPECT_EQ(nonzero, 0u) << size;
    if (size == 0) continue;
    values[0] = 1.5;
    values[size - 1] = -2.25;
    const ZeroedArray<double> copy = values;
    ZeroedArray<double> assigned(1);
    assigned = values;
    values[size - 1] = 0.0;
    EXPECT_EQ(copy[0], 1.5);
    EXPECT_EQ(copy[size - 1], -2.25) << size;
    EXPECT_EQ(assigned[size - 1], -2.25) << size;
  }
}

TEST(ZeroedArray, AMoveHandsTheBlockOverWithoutCopying) {
  ZeroedArray<double> values(100000);
  values[99999] = 3.5;
  const double* block = &values[0];
  const ZeroedArray<double> moved = std::move(values);
  EXPECT_EQ(&moved[0], block);
  EXPECT_EQ(moved[99999], 3.5);
}

}  // namespace
}  // namespace sc
