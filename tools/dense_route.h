#pragma once

#include <cstdint>

#include "route_generator.h"

namespace sc {

// A route of `length` metres (0 to kLongestRoute) as dense in rows as a real
// line gets: a gradient, a speed limit and an adhesion row every 50 m, an arc
// of 150 m every 400 m, a tunnel every 5 km, a speed board and a signal every
// kilometre and 60 text boards 10 m off the 50 m grid (so compile warns of
// each). It compiles without a recorded error; the same length always gives
// the same bytes.
RouteTexts dense_route(int32_t length);

}  // namespace sc
