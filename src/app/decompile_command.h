#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>

#include "app/disk.h"
#include "app/scenario_files.h"

namespace sc {

struct DecompileOptions {
  ScenarioFiles files;
  std::filesystem::path output_dir = ".";
  bool force = false;  // replace text files that already exist
};

// `scenario-compiler decompile`: writes a line text file and a train text
// file that compile to the given binary files, after proving it in memory.
int run_decompile(const DecompileOptions& options, Disk& disk, std::ostream& out,
                  std::ostream& err);

}  // namespace sc
