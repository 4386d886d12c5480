#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/disk.h"

namespace sc {

struct DumpOptions {
  std::filesystem::path file;
  bool json = false;
  std::optional<std::string> kind;   // cells, table or profile; default from the name
  std::optional<std::string> cells;  // "A-B" or "A", cell files only
  bool occupied = false;             // only the cells that are not free
  std::optional<int> entry;          // table files only
  std::optional<int32_t> every;      // metres between profile points
};

// `scenario-compiler dump`: decodes a cell file, a scenario table file or a
// line profile file, as text in words or as JSON with the model's field names.
int run_dump(const DumpOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

}  // namespace sc
