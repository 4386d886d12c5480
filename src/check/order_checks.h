#pragma once

#include "check/lint.h"

namespace sc {

// Rows whose order along the route matters, listed after one further along.

// A gradient, speed limit or adhesion row: the compile fills the cells in
// file order and never goes back.
void check_fill_order(LintContext& context, FillOrder& fill, const LintRow& row);

// The first speed limit or adhesion row after the route's first cell: the
// cells before it get 0. Called before check_fill_order for the row.
void check_fill_start(LintContext& context, const FillOrder& fill, const LintRow& row);

// A curve row: the compile lays the track in file order and never goes back.
void check_curve_order(LintContext& context, const LintRow& row);

}  // namespace sc
