#pragma once

#include "check/lint.h"
#include "format/row_kinds.h"

namespace sc {

// The checks of one row kind's values, once the row has all of them; nullptr
// for a kind without any.
using RowCheck = void (*)(LintContext&, const LintRow&);
RowCheck row_check(RowKind kind);

}  // namespace sc
