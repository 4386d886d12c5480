#pragma once

#include "model/error_log.h"
#include "model/model.h"

namespace sc {

// The block post-pass: inserts code-change cells (code 180) around every
// slowdown. Records errors 11, 12 and 13 and goes on. Never reads or writes
// outside the cells.
void block_post_pass(Scenario& model, ErrorLog& errors);

}  // namespace sc
