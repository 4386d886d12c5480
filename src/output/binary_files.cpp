#include "output/binary_files.h"

#include "model/serialize.h"

namespace sc {

std::vector<OutputFile> binary_files(const Scenario& model, const ScenarioFileNames& names,
                                     int32_t j) {
  std::vector<OutputFile> files;
  if (j != 0 && model.profile) {
    files.push_back({names.line_profile, serialize_profile(*model.profile)});
  }
  files.push_back({names.table, serialize_table(model.table)});
  files.push_back({names.cells, serialize_cells(model.cells)});
  return files;
}

}  // namespace sc
