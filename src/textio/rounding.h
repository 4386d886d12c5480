#pragma once

#include <cstdint>

namespace sc {

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t round_half_even(double value);

// Cell index of a position: position / 50 + offset, divided in floating point
// and then rounded half to even. The offset is added before rounding.
int64_t cell_index(int64_t position, int offset = 0);

// The position check shared by every positioned row: (p + margin) / 50,
// computed exactly, must not exceed the last cell index.
bool position_fits(int64_t position, int64_t margin, int64_t last_cell);

}  // namespace sc
