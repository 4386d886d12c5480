#pragma once

#include <filesystem>
#include <string>

namespace sc {

// The eight files of a scenario, named from the output directory, the line
// name L and the train number T (both Windows-1252 bytes).
struct ScenarioFileNames {
  std::filesystem::path line_text;      // L_linea.txt
  std::filesystem::path train_text;     // L_T-.txt
  std::filesystem::path train_sheet;    // L_T_scheda_treno.txt
  std::filesystem::path slowdown_form;  // L_T_rallentamenti.txt
  std::filesystem::path notes;          // L_T_note.txt
  std::filesystem::path line_profile;   // L_linea.dat
  std::filesystem::path table;          // L_T.sim
  std::filesystem::path cells;          // L_T.dat
};

ScenarioFileNames scenario_file_names(const std::filesystem::path& directory,
                                      const std::string& line_name,
                                      const std::string& train_number);

}  // namespace sc
