#include "model/cell_geometry.h"

#include <string>

#include "textio/rounding.h"

namespace sc {

int64_t cell_index(int64_t position, int offset) {
  return round_half_even(static_cast<double>(position) / kCellMetres + offset);
}

bool position_fits(int64_t position, int64_t margin, int64_t last_cell) {
  return position + margin <= kCellMetres * last_cell;
}

bool position_accepted(const Scenario& model, ErrorLog& errors, Source source, int32_t position,
                       int32_t margin, SourceLocation position_at, std::string_view row_kind) {
  if (!model.has_cells()) {
    throw Fault("a " + std::string(row_kind) +
                    " row needs the cells of the route, but the line file gave no route length",
                position_at);
  }
  const int32_t last = model.last_cell();
  if (position_fits(position, margin, last)) return true;
  const int32_t route_length = model.table[entry::kFigures].*slot::kRouteLength;
  errors.record_at(ErrorCode::kBeyondRoute, position, source, position_at,
                   "position " + std::to_string(position) +
                       " lies beyond the route: the route is " + std::to_string(route_length) +
                       " m long, and its cells run on through the " + std::to_string(kRunOut) +
                       " m run-out after it to cell " + std::to_string(last) +
                       ", so the last position a " + std::string(row_kind) + " row may have is " +
                       std::to_string(int64_t{kCellMetres} * last - margin) +
                       ", in the run-out, where the train has left the route");
  return false;
}

}  // namespace sc
