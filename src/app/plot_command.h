#pragma once

#include <filesystem>
#include <iosfwd>

#include "app/compile_command.h"

namespace sc {

struct PlotOptions {
  CompileOptions sources;  // the two files and their names; nothing is written beside them
  std::filesystem::path svg;
  bool json = false;
};

// `scenario-compiler plot`: compiles the two files and draws the route as an
// SVG picture, also when the compile records errors (they are listed under
// the picture). Exit status as for `compile`.
// `--json` prints the report of `compile --json` on `out`, its files the picture.
int run_plot(const PlotOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

}  // namespace sc
