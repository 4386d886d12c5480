#pragma once

#include <cstdint>

namespace sc {

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t round_half_even(double value);

}  // namespace sc
