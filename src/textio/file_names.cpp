#include "textio/file_names.h"

#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc {

ScenarioFileNames scenario_file_names(const std::filesystem::path& directory,
                                      const std::string& line_name,
                                      const std::string& train_number) {
  const std::string line = cp1252_to_utf8(line_name);
  const std::string per_train = line + "_" + cp1252_to_utf8(train_number);
  return {
      .line_text = directory / path_from_utf8(line + "_linea.txt"),
      .train_text = directory / path_from_utf8(per_train + "-.txt"),
      .train_sheet = directory / path_from_utf8(per_train + "_scheda_treno.txt"),
      .slowdown_form = directory / path_from_utf8(per_train + "_rallentamenti.txt"),
      .notes = directory / path_from_utf8(per_train + "_note.txt"),
      .line_profile = directory / path_from_utf8(line + "_linea.dat"),
      .table = directory / path_from_utf8(per_train + ".sim"),
      .cells = directory / path_from_utf8(per_train + ".dat"),
  };
}

std::optional<std::string> name_to_1252(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos) return std::nullopt;
  return utf8_to_1252(utf8);
}

}  // namespace sc
