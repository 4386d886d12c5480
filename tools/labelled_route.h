#pragma once

#include <cstdint>

#include "route_generator.h"

namespace sc {

// A route of `length` metres (2000 to 50000) as full of named and labelled
// objects as its cells allow, for pictures of crowded lines: every 2 km a
// station with a long name, three speed boards and two text boards a few
// cells apart, two signals, a warned slowdown, code-change points and a
// tunnel, on track that bends through quarter turns and hairpins, so that
// it runs steeply up and down the plan view and folds back on itself. It
// compiles without a recorded error; the same length always gives the same
// bytes.
RouteTexts labelled_route(int32_t length);

}  // namespace sc
