#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sc {

// The eight files of a scenario, named from the output directory, the line
// name L and the train number T. L and T are Windows-1252 bytes, as the files
// store them; the paths are in UTF-8, the file system's encoding.
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

// A line name or train number typed in UTF-8, as the Windows-1252 bytes the
// files store; nullopt when it is not well-formed UTF-8, holds a character that
// Windows-1252 cannot represent, or holds a NUL (which would cut a file name
// short).
std::optional<std::string> name_to_1252(std::string_view utf8);

}  // namespace sc
