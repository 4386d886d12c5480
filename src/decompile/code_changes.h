#pragma once

#include <cstdint>
#include <vector>

#include "model/model.h"

namespace sc {

// Which code-change cells of value 180 must come from rows. `before_pass`
// holds the cells as the compilers would leave them, with every cell in
// `marked` (a code change of value 180 after the pass) still free. Returns
// the cells that need a code-change row of value 180 so that the block
// post-pass marks exactly the rest, searching the pass's choices when a row
// beside a slowdown moves a mark. Throws DecompileError when none do.
std::vector<int32_t> code_change_rows(const std::vector<Cell>& before_pass,
                                      const std::vector<bool>& marked);

}  // namespace sc
