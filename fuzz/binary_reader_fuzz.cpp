// Reads arbitrary bytes as a cell file, a scenario table file or a line
// profile file (the first byte chooses), describes what it read, and checks
// that writing it again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "inspect/describe.h"
#include "inspect/record_values.h"
#include "model/serialize.h"

namespace {

void check_same(const std::string& written, std::string_view read) {
  if (written != read) __builtin_trap();
}

void read_cells_back(std::string_view bytes) {
  const std::vector<sc::Cell> cells = sc::read_cells(bytes);
  for (size_t i = 0; i < cells.size(); ++i) {
    (void)sc::describe_cell(cells, static_cast<int32_t>(i));
    (void)sc::decoded_cell(cells, static_cast<int32_t>(i));
  }
  if (!cells.empty()) {
    (void)sc::describe_cells(cells, 0, static_cast<int32_t>(cells.size()) - 1);
  }
  check_same(sc::serialize_cells(cells), bytes);
}

void read_table_back(std::string_view bytes) {
  const sc::ScenarioTable table = sc::read_table(bytes);
  for (int i = 0; i < sc::kTableEntries; ++i) {
    (void)sc::describe_entry(table, i);
    (void)sc::decoded_entry(table, i);
  }
  (void)sc::describe_entries(table, 0, sc::kTableEntries - 1);
  check_same(sc::serialize_table(table), bytes);
}

void read_profile_back(std::string_view bytes) {
  const sc::Profile profile = sc::read_profile(bytes);
  for (int32_t m = 0; m <= profile.last_point(); ++m) (void)sc::describe_point(profile, m);
  check_same(sc::serialize_profile(profile), bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    switch (data[0] % 3) {
      case 0:
        read_cells_back(bytes);
        break;
      case 1:
        read_table_back(bytes);
        break;
      default:
        read_profile_back(bytes);
        break;
    }
  } catch (const sc::DecodeError& e) {
    if (e.offset() > bytes.size()) __builtin_trap();
  }
  return 0;
}
