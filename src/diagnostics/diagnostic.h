#pragma once

#include <vector>

#include "model/error_log.h"

namespace sc {

// File order: line file, train file, then the route; within a file by line
// and column, a finding without a location first. Stable for equal places.
void sort_in_file_order(std::vector<Finding>& findings);

}  // namespace sc
