#pragma once

#include <cstdint>

#include "route_generator.h"

namespace sc {

// A short line text and train text crowded with rows that overlap and
// overwrite each other: rows out of route order, overlapping tunnels, objects
// in the cells that station stop cells later take, code-change points of
// value 180 beside slowdowns, slowdowns near the route's start, slowdowns of
// negative length whose start a stop cell takes, arcs that bend the last
// profile points from rows that start earlier, empty and quoted texts. The same seed always gives
// the same bytes. Unlike generate_route, the texts may record errors (a post-pass mark may find no
// free cell); callers that need clean texts skip those seeds.
RouteTexts crowded_route(uint32_t seed);

}  // namespace sc
