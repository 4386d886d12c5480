#include "textio/file_names.h"

namespace sc {

ScenarioFileNames scenario_file_names(const std::filesystem::path& directory,
                                      const std::string& line_name,
                                      const std::string& train_number) {
  const std::string per_train = line_name + "_" + train_number;
  return {
      .line_text = directory / (line_name + "_linea.txt"),
      .train_text = directory / (per_train + "-.txt"),
      .train_sheet = directory / (per_train + "_scheda_treno.txt"),
      .slowdown_form = directory / (per_train + "_rallentamenti.txt"),
      .notes = directory / (per_train + "_note.txt"),
      .line_profile = directory / (line_name + "_linea.dat"),
      .table = directory / (per_train + ".sim"),
      .cells = directory / (per_train + ".dat"),
  };
}

}  // namespace sc
