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

}  // namespace sc
