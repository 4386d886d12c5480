#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/serialize.h"
#include "textio/file_names.h"

namespace sc {

struct OutputFile {
  std::filesystem::path path;
  // Hands the file's bytes to a sink; the model must outlive the call.
  std::function<void(const ByteSink&)> write;
};

// The binary files of a finished model, in writing order: the line profile
// file (only when the model holds a profile), the scenario table file, the
// cell file.
std::vector<OutputFile> binary_files(const Scenario& model, const ScenarioFileNames& names);

}  // namespace sc
