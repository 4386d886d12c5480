#pragma once

#include <filesystem>
#include <optional>

#include "app/disk.h"
#include "model/model.h"

namespace sc {

// The binary files of one compiled scenario, as the commands that read them
// back take them.
struct ScenarioFiles {
  std::filesystem::path cell_file;
  std::filesystem::path table_file;
  std::optional<std::filesystem::path> profile_file;
};

// Decodes the files into a model; throws UsageError naming the file and the
// byte where one is missing or stops making sense.
Scenario read_scenario(const ScenarioFiles& files, Disk& disk);

}  // namespace sc
