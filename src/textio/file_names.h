#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// The names a pair's own file names give, in UTF-8, as `compile` takes them
// unless told others: the line name of "L_linea.txt" is L, of any other line
// file its name without the extension; the train number of "L_T-.txt" is T
// (not empty), of any other train file its name without the extension.
std::string line_name_of(const std::filesystem::path& line_file);
std::string train_number_of(const std::filesystem::path& train_file, std::string_view line_name);

// Whether a file's name is that of a line file ("L_linea.txt", L not empty)
// or of a train file ("..._T-.txt" that is not a line file).
bool named_as_line_file(const std::filesystem::path& file);
bool named_as_train_file(const std::filesystem::path& file);

// The line file of the train file "L_T-.txt": among `known`, the file
// "L_linea.txt" of the same directory with the longest L that leaves T not
// empty; nullopt when there is none.
std::optional<std::filesystem::path> line_file_of(const std::filesystem::path& train_file,
                                                  std::span<const std::filesystem::path> known);

// The files of a directory paired by their names: each line file with the
// train files whose line file it is, both in name order, and the train files
// that have no line file.
struct LineAndTrains {
  std::filesystem::path line_file;
  std::vector<std::filesystem::path> train_files;
};
struct PairedFiles {
  std::vector<LineAndTrains> lines;
  std::vector<std::filesystem::path> trains_without_line;
};
PairedFiles pair_by_name(std::span<const std::filesystem::path> files);

// The record a build keeps, in its output directory, of what each set of
// files there was built from.
std::filesystem::path build_log_file(const std::filesystem::path& directory);

// The name of the set of files of one pair, "L_T" (UTF-8), as the build's
// record knows it.
std::string set_name(const std::string& line_name, const std::string& train_number);

// A line name or train number typed in UTF-8, as the Windows-1252 bytes the
// files store; nullopt when it is not well-formed UTF-8, holds a character that
// Windows-1252 cannot represent, or holds a NUL (which would cut a file name
// short).
std::optional<std::string> name_to_1252(std::string_view utf8);

}  // namespace sc
