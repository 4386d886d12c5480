#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace sc::testing {

// Reads the cell file and the scenario table file back into records, so that
// tests check what the simulator will load rather than the model in memory.
std::vector<Cell> parse_cell_file(const std::string& bytes);
std::vector<TableEntry> parse_table_file(const std::string& bytes);

}  // namespace sc::testing
