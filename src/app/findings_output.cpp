#include "app/findings_output.h"

#include "app/compile_command.h"
#include "textio/codepage.h"
#include "textio/utf8_path.h"

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

// The characters a finding or a fix-it spans: its place, and end_line and
// end_column just after its last character (null when only its place is
// known).
nlohmann::json range_json(Source source, SourceRange range, const SourceNames& sources,
                          nlohmann::json item) {
  item = place_json(source, range.begin, sources, std::move(item));
  item["end_line"] = range.end.known() ? nlohmann::json(range.end.line) : nullptr;
  item["end_column"] = range.end.known() ? nlohmann::json(range.end.column) : nullptr;
  return item;
}

nlohmann::json fixes_json(const Finding& f) {
  nlohmann::json list = nlohmann::json::array();
  for (const FixIt& fix : f.fixes) {
    nlohmann::json item = {{"line", fix.range.begin.line},
                           {"column", fix.range.begin.column},
                           {"end_line", fix.range.end.line},
                           {"end_column", fix.range.end.column},
                           {"text", cp1252_to_utf8(fix.text)}};
    list.push_back(std::move(item));
  }
  return list;
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
    } else if (const WarningInfo* disabled =
                   flag.starts_with("no-") ? find_warning(flag.substr(3)) : nullptr) {
      options.disabled_warnings.insert(disabled->code);
    } else {
      throw UsageError("-W" + flag + ": unknown; give " + (allow_error ? "-Werror or " : "") +
                       "-Wno-NAME with NAME one of " + warning_names());
    }
  }
}

nlohmann::json run_report_json(const RunOutcome& run, const SourceNames& sources,
                               const std::vector<std::filesystem::path>& files,
                               std::span<const Finding> errors) {
  nlohmann::json paths = nlohmann::json::array();
  for (const auto& path : files) paths.push_back(utf8_of(path));
  return {{"error_number", run.errors.error_number()},
          {"error_position", run.errors.error_position()},
          {"fatal_error", run.fatal_error},
          {"files", paths},
          {"diagnostics", findings_json(errors, sources)}};
}

nlohmann::json findings_json(std::span<const Finding> findings, const SourceNames& sources) {
  nlohmann::json list = nlohmann::json::array();
  for (const Finding& f : findings) {
    const int32_t number = f.error_number();
    list.push_back(range_json(f.source, f.range(), sources,
                              {{"severity", f.severity == Severity::kError ? "error" : "warning"},
                               {"name", f.name()},
                               {"number", number != 0 ? nlohmann::json(number) : nullptr},
                               {"position", f.position ? nlohmann::json(*f.position) : nullptr},
                               {"message", cp1252_to_utf8(f.message)},
                               {"notes", notes_json(f.notes, sources)},
                               {"fixes", fixes_json(f)}}));
  }
  return list;
}

}  // namespace sc
