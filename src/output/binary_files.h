#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/model.h"
#include "textio/file_names.h"

namespace sc {

struct OutputFile {
  std::filesystem::path path;
  std::string bytes;
};

// The binary files of a finished model, in writing order: the line profile
// file (only when j is non-zero), the scenario table file, the cell file.
std::vector<OutputFile> binary_files(const Scenario& model, const ScenarioFileNames& names,
                                     int32_t j);

}  // namespace sc
