#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "app/disk.h"

namespace sc {

struct ExampleOptions {
  std::filesystem::path dir = ".";
  bool force = false;  // replace files that already exist
};

// `scenario-compiler example`: writes the built-in line and train text files,
// byte for byte those the one-shot run compiles, into `options.dir`.
int run_example(const ExampleOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

struct ExplainOptions {
  std::string what;   // an error number, or the name of an error or a warning
  bool list = false;  // list every number and name instead
};

// `scenario-compiler explain N|NAME`: prints the reference entry of an error
// or a warning as plain text; with --list, every error's number and name and
// every warning's name, one a line.
int run_explain(const ExplainOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sc
