#include "output/binary_files.h"

namespace sc {

std::vector<OutputFile> binary_files(const Scenario& model, const ScenarioFileNames& names) {
  std::vector<OutputFile> files;
  if (model.profile) {
    files.push_back({names.line_profile,
                     [&model](const ByteSink& sink) { write_profile(*model.profile, sink); }});
  }
  files.push_back(
      {names.table, [&model](const ByteSink& sink) { sink(serialize_table(model.table)); }});
  files.push_back(
      {names.cells, [&model](const ByteSink& sink) { sink(serialize_cells(model.cells)); }});
  return files;
}

}  // namespace sc
