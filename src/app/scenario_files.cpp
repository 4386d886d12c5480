#include "app/scenario_files.h"

#include <string>

#include "app/compile_command.h"
#include "model/serialize.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

template <typename Read>
auto decode(Disk& disk, const std::filesystem::path& path, const char* kind, Read read) {
  const auto bytes = disk.read_file(path);
  if (!bytes) throw UsageError("cannot read " + utf8_of(path) + ": No such file or directory");
  try {
    return read(*bytes);
  } catch (const DecodeError& e) {
    throw UsageError(utf8_of(path) + " is no " + kind + ": byte " + std::to_string(e.offset()) +
                     ": " + e.what());
  }
}

}  // namespace

Scenario read_scenario(const ScenarioFiles& files, Disk& disk) {
  Scenario model;
  model.cells = decode(disk, files.cell_file, "cell file", read_cells);
  model.table = decode(disk, files.table_file, "scenario table file", read_table);
  if (files.profile_file) {
    model.profile.emplace(decode(disk, *files.profile_file, "line profile file", read_profile));
  }
  return model;
}

}  // namespace sc
