#pragma once

#include <iosfwd>

#include "app/disk.h"
#include "app/scenario_files.h"

namespace sc {

struct InspectOptions {
  ScenarioFiles files;
  bool json = false;
};

// `scenario-compiler inspect`: lists the objects of a compiled route, in
// route order, as text or as JSON.
int run_inspect(const InspectOptions& options, Disk& disk, std::ostream& out, std::ostream& err);

}  // namespace sc
