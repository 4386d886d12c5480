#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sc {

// How messages name the object that a cell's type code stands for, in the
// two places a sentence puts it: after "the ... of this row" (`of_row`:
// "slowdown's start") and as what a cell already holds (`held`: "the start of
// a slowdown"). None for an empty cell or a tunnel marker, which any object
// may replace, or for a code no row writes.
struct CellObjectName {
  std::string_view of_row;
  std::string_view held;
};

std::optional<CellObjectName> cell_object_name(uint8_t type_code);

}  // namespace sc
