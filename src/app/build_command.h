#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/disk.h"

namespace sc {

struct BuildOptions {
  std::filesystem::path dir = ".";
  std::optional<std::filesystem::path> output_dir;  // none: `dir`
  unsigned jobs = 0;                                // 0: one per core
  bool force = false;                               // build every pair, up to date or not
  bool json = false;
  bool no_profile = false;
  bool no_warnings = false;
  std::vector<std::string> warning_flags;  // "no-NAME" from -Wno-NAME
  std::optional<std::string> input_encoding;
  bool colour = false;
  std::string version;  // the program's: outputs of another version are built again
};

// The regular files of a folder; UsageError when it cannot be read.
std::vector<std::filesystem::path> regular_files_in(const std::filesystem::path& dir);

// What `build` and `check DIR` say of a file that pairs with none.
inline constexpr const char* kNoLineFile =
    "no line file: a train file \"L_T-.txt\" is compiled with the line file \"L_linea.txt\" of "
    "its folder, and there is none";
inline constexpr const char* kNoTrainFile =
    "no train file: a line file \"L_linea.txt\" is compiled with the train files \"L_T-.txt\" of "
    "its folder, and there is none";

// `scenario-compiler build`: every line file of a folder with the train files
// named after it, each line compiled once for all its trains, on every core;
// a pair whose outputs were built from the same inputs is left as it is.
// Each pair's files are written as `compile` writes them, and the files of
// one line are put in place together. The status is the worst of the pairs'.
int run_build(const BuildOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

}  // namespace sc
