#pragma once

#include <string>

#include "objects/route_objects.h"

namespace sc {

// A short block that says what a compiled route holds: its length, how many
// of each kind of object were placed, and the first and last station with
// their times. UTF-8, one "name: value" line each.
std::string route_summary(const objects::RouteObjects& route);
// The code-change points, those the block post-pass inserted included.
size_t code_changes(const objects::RouteObjects& route);

}  // namespace sc
