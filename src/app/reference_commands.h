#pragma once

#include <filesystem>
#include <iosfwd>

#include "app/disk.h"

namespace sc {

struct ExampleOptions {
  std::filesystem::path dir = ".";
  bool force = false;  // replace files that already exist
};

// `scenario-compiler example`: writes the built-in line and train text files,
// byte for byte those the one-shot run compiles, into `options.dir`.
int run_example(const ExampleOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

// `scenario-compiler explain N`: prints the reference entry of error N.
int run_explain(int number, std::ostream& out, std::ostream& err);

}  // namespace sc
