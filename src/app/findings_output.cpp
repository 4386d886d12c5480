#include "app/findings_output.h"

#include "app/compile_command.h"
#include "textio/codepage.h"

namespace sc {
namespace {

std::string warning_names() {
  std::string names;
  for (const WarningInfo& info : warning_catalogue()) {
    names += names.empty() ? "" : ", ";
    names += info.name;
  }
  return names;
}

nlohmann::json place_json(Source source, SourceLocation location, const SourceNames& sources,
                          nlohmann::json item) {
  item["file"] = nullptr;
  item["line"] = nullptr;
  item["column"] = nullptr;
  if (source != Source::kRoute) {
    item["file"] = source == Source::kLineFile ? sources.line_file : sources.train_file;
  }
  if (location.known()) {
    item["line"] = location.line;
    item["column"] = location.column;
  }
  return item;
}

nlohmann::json notes_json(const std::vector<Note>& notes, const SourceNames& sources) {
  nlohmann::json list = nlohmann::json::array();
  for (const Note& note : notes) {
    list.push_back(
        place_json(note.source, note.location, sources, {{"message", cp1252_to_utf8(note.text)}}));
  }
  return list;
}

}  // namespace

void apply_warning_flags(const std::vector<std::string>& flags, bool allow_error,
                         CheckOptions& options) {
  for (const std::string& flag : flags) {
    if (allow_error && flag == "error") {
      options.warnings_as_errors = true;
    } else if (flag.starts_with("no-") && find_warning(flag.substr(3))) {
      options.disabled_warnings.insert(flag.substr(3));
    } else {
      throw UsageError("-W" + flag + ": unknown; give " + (allow_error ? "-Werror or " : "") +
                       "-Wno-NAME with NAME one of " + warning_names());
    }
  }
}

nlohmann::json findings_json(std::span<const Finding> findings, const SourceNames& sources) {
  nlohmann::json list = nlohmann::json::array();
  for (const Finding& f : findings) {
    list.push_back(
        place_json(f.source, f.location, sources,
                   {{"severity", f.severity == Severity::kError ? "error" : "warning"},
                    {"name", f.name},
                    {"number", f.error_number != 0 ? nlohmann::json(f.error_number) : nullptr},
                    {"message", cp1252_to_utf8(f.message)},
                    {"notes", notes_json(f.notes, sources)}}));
  }
  return list;
}

}  // namespace sc
