#pragma once

#include <cstdint>
#include <string>

#include "model/model.h"

namespace sc {

// A line text file and a train text file, as bytes with CR LF line ends.
struct RouteTexts {
  std::string line;
  std::string train;
};

// A synthetic route of `length` metres (0 to kLongestRoute) that uses every
// row kind of both files and compiles without a single recorded error.
// Gradients, curves, tunnels, speed limits and adhesion come every 50 m;
// the objects that take a cell of their own repeat in blocks of 4 km laid out
// so that each of them, and each code-change mark the block post-pass adds,
// finds its cell free. Each station's stop cell takes the start of a slowdown
// of negative length, and an arc at the end bends the run-out up to its last
// points. The rows of each kind stand in route order. The same length always
// gives the same bytes.
RouteTexts generate_route(int32_t length);

}  // namespace sc
