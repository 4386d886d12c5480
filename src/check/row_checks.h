#pragma once

#include "check/lint.h"
#include "format/row_kinds.h"

namespace sc {

// The checks of one row kind's values, once the row has all of them; a kind
// without any checks nothing.
using RowCheck = void (*)(LintContext&, const LintRow&);
RowCheck row_check(RowKind kind);

}  // namespace sc
