#include "model/model.h"

#include "textio/fault.h"

namespace sc {

Profile::Profile(int32_t last_point)
    : last_point_(last_point),
      values_(2 * (static_cast<size_t>(last_point) + 1)),
      tags_(2 * (static_cast<size_t>(last_point) + 1)) {}

Cell& cell_at(Scenario& scenario, int64_t index, SourceLocation where) {
  if (!scenario.has_cells()) {
    throw Fault("a row needs the cells of the route, but the header gave no route length", where);
  }
  if (index < 0 || index > scenario.last_cell()) {
    throw Fault("cell " + std::to_string(index) + " lies outside the route's cells 0 to " +
                    std::to_string(scenario.last_cell()),
                where);
  }
  Cell& cell = scenario.cells[static_cast<size_t>(index)];
  if (scenario.access_listener) scenario.access_listener->cell_reached(index, cell);
  return cell;
}

TableEntry& entry_at(Scenario& scenario, int64_t index, SourceLocation where) {
  if (index < 0 || index >= kTableEntries) {
    throw Fault("table entry " + std::to_string(index) + " lies outside entries 0 to 86", where);
  }
  if (scenario.access_listener) scenario.access_listener->entry_reached(index);
  return scenario.table[static_cast<size_t>(index)];
}

}  // namespace sc
