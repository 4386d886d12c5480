#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/model.h"
#include "objects/route_objects.h"

namespace sc {

// A value of a record read back, named as its row names it.
struct NamedValue {
  std::string_view name;
  int64_t value = 0;
};

// A signal's sx to d3, in the order and under the names of the signal row
// (its tempo is left to the caller).
std::vector<NamedValue> signal_values(const objects::Signal& signal);
// A station entry's stored row values 4 to 13, in row order.
std::vector<NamedValue> stored_station_values(const TableEntry& station);

// A record's values in metres, km/h, per mille and clock times, beside the
// raw fields of the JSON dump. A name ends in its unit where it has one.
struct DecodedValue {
  std::string name;
  std::variant<int64_t, std::string> value;
};
std::vector<DecodedValue> decoded_cell(const std::vector<Cell>& cells, int32_t index);
std::vector<DecodedValue> decoded_entry(const ScenarioTable& table, int index);

}  // namespace sc
