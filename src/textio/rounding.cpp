#include "textio/rounding.h"

#include <cmath>

namespace sc {

int64_t round_half_even(double value) {
  const double whole = std::floor(value);
  const double fraction = value - whole;
  double result = whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) result = whole + 1.0;
  return static_cast<int64_t>(result);
}

int64_t cell_index(int64_t position, int offset) {
  return round_half_even(static_cast<double>(position) / 50.0 + offset);
}

bool position_fits(int64_t position, int64_t margin, int64_t last_cell) {
  return position + margin <= 50 * last_cell;
}

}  // namespace sc
