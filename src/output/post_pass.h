#pragma once

#include <cstdint>
#include <functional>

#include "model/error_log.h"
#include "model/model.h"

namespace sc {

// The block post-pass: inserts code-change cells (code 180) around every
// slowdown. Records errors 11, 12 and 13 and goes on. Never reads or writes
// outside the cells.
void block_post_pass(Scenario& model, ErrorLog& errors);

// Asked about each free cell the pass is about to mark: true lets the pass
// mark it; false makes the pass treat it as taken, as if a code-change row had
// been placed there before the pass (the caller puts that code change into the
// model). For working out which code-change cells of a compiled model the
// pass re-creates.
using MarkChoice = std::function<bool(int32_t index)>;
void block_post_pass(Scenario& model, ErrorLog& errors, const MarkChoice& choose);

}  // namespace sc
