#pragma once

#include <string>

#include "inspect/route_features.h"

namespace sc {

// A short block that says what a compiled route holds: its length, how many
// of each kind of object were placed, and the first and last station with
// their times. UTF-8, one "name: value" line each.
std::string route_summary(const RouteFeatures& features);

}  // namespace sc
