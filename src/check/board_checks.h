#pragma once

#include <vector>

#include "check/lint.h"

namespace sc {

// Speed boards without stripes stand where a limit starts: each should show
// the train file's limit in force at its position among its three speeds.
// `limits` are the train file's speed rows, in file order.
void check_boards_against_limits(LintContext& line, std::vector<LimitRow> limits);

}  // namespace sc
