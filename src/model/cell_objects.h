#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/model.h"

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

// Whether two states of a cell hold the same object: the same type code and
// the same first value, which tells one object of a code from another.
inline bool holds_same_object(const Cell& a, const Cell& b) {
  return a.type_code == b.type_code && a.info1 == b.info1;
}

}  // namespace sc
