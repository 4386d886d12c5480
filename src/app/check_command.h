#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/compile_command.h"
#include "app/disk.h"
#include "check/check.h"

namespace sc {

struct CheckCommandOptions {
  CompileOptions sources;  // the two files, their names and input encoding
  bool json = false;
  std::vector<std::string> warning_flags;  // "error", "no-NAME"
  bool colour = false;
  size_t error_limit = 20;  // errors shown at most; 0 for all
};

// `scenario-compiler check`: every error and warning of both files, writing
// nothing. Status 0 without errors, 1 with any, 2 for a usage or input failure.
int run_check(const CheckCommandOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

}  // namespace sc
