#include "textio/file_names.h"

#include <algorithm>

#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

constexpr std::string_view kLineSuffix = "_linea.txt";
constexpr std::string_view kTrainSuffix = "-.txt";

std::string name_of(const std::filesystem::path& file) {
  return utf8_of(file.filename());
}

}  // namespace

ScenarioFileNames scenario_file_names(const std::filesystem::path& directory,
                                      const std::string& line_name,
                                      const std::string& train_number) {
  const std::string line = cp1252_to_utf8(line_name);
  const std::string per_train = set_name(line_name, train_number);
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

std::string line_name_of(const std::filesystem::path& line_file) {
  const std::string name = name_of(line_file);
  if (name.ends_with(kLineSuffix)) return name.substr(0, name.size() - kLineSuffix.size());
  return utf8_of(line_file.stem());
}

std::string train_number_of(const std::filesystem::path& train_file, std::string_view line_name) {
  const std::string name = name_of(train_file);
  const size_t prefix = line_name.size() + 1;
  if (name.size() > prefix + kTrainSuffix.size() && name.starts_with(line_name) &&
      name[line_name.size()] == '_' && name.ends_with(kTrainSuffix)) {
    return name.substr(prefix, name.size() - prefix - kTrainSuffix.size());
  }
  return utf8_of(train_file.stem());
}

bool named_as_line_file(const std::filesystem::path& file) {
  const std::string name = name_of(file);
  return name.size() > kLineSuffix.size() && name.ends_with(kLineSuffix);
}

bool named_as_train_file(const std::filesystem::path& file) {
  return name_of(file).ends_with(kTrainSuffix) && !named_as_line_file(file);
}

std::optional<std::filesystem::path> line_file_of(const std::filesystem::path& train_file,
                                                  std::span<const std::filesystem::path> known) {
  const std::string name = name_of(train_file);
  // "L_T-.txt": L and T hold a character each at least.
  if (!named_as_train_file(train_file) || name.size() < kTrainSuffix.size() + 3) {
    return std::nullopt;
  }
  const size_t last_cut = name.size() - kTrainSuffix.size() - 2;  // T holds a character at least
  for (size_t cut = name.rfind('_', last_cut); cut != std::string::npos && cut > 0;
       cut = name.rfind('_', cut - 1)) {
    const std::filesystem::path line_file =
        train_file.parent_path() / path_from_utf8(name.substr(0, cut) + std::string(kLineSuffix));
    if (std::find(known.begin(), known.end(), line_file) != known.end()) return line_file;
  }
  return std::nullopt;
}

PairedFiles pair_by_name(std::span<const std::filesystem::path> files) {
  std::vector<std::filesystem::path> sorted(files.begin(), files.end());
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  PairedFiles paired;
  for (const std::filesystem::path& file : sorted) {
    if (named_as_line_file(file)) paired.lines.push_back({file, {}});
  }
  for (const std::filesystem::path& file : sorted) {
    if (!named_as_train_file(file)) continue;
    const std::optional<std::filesystem::path> line = line_file_of(file, sorted);
    const auto found = std::find_if(paired.lines.begin(), paired.lines.end(),
                                    [&](const LineAndTrains& l) { return line == l.line_file; });
    if (found == paired.lines.end()) {
      paired.trains_without_line.push_back(file);
    } else {
      found->train_files.push_back(file);
    }
  }
  return paired;
}

std::filesystem::path build_log_file(const std::filesystem::path& directory) {
  return directory / ".scenario-compiler-build.log";
}

std::string set_name(const std::string& line_name, const std::string& train_number) {
  return cp1252_to_utf8(line_name) + "_" + cp1252_to_utf8(train_number);
}

std::optional<std::string> name_to_1252(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos) return std::nullopt;
  return utf8_to_1252(utf8);
}

}  // namespace sc
