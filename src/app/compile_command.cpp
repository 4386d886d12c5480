#include "app/compile_command.h"

#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "app/findings_output.h"
#include "app/run.h"
#include "check/check.h"
#include "check/lint.h"
#include "diagnostics/render.h"
#include "driver/pipeline.h"
#include "inspect/summary.h"
#include "textio/codepage.h"
#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

std::string read_source(Disk& disk, const std::filesystem::path& path, const char* what) {
  auto text = disk.read_file(path);
  if (!text)
    throw UsageError(std::string("cannot read the ") + what + " " + utf8_of(path) +
                     ": No such file or directory");
  return std::move(*text);
}

// Standard input ("-") stands for one of the two files at most, and gives no
// name to default from.
void check_standard_input(const CompileOptions& options) {
  if (options.line_file == "-" && options.train_file == "-") {
    throw UsageError("standard input (-) can stand for only one of the two files");
  }
  if (options.line_file == "-" && !options.line_name) {
    throw UsageError("--line-name is needed when the line file is standard input (-)");
  }
  if (options.train_file == "-" && !options.train_number) {
    throw UsageError("--train-number is needed when the train file is standard input (-)");
  }
}

nlohmann::json json_station(const objects::Station& s) {
  return {
      {"entry", s.entry}, {"name", cp1252_to_utf8(s.name)}, {"time", objects::clock_time(s.time)}};
}

nlohmann::json json_summary(const objects::RouteObjects& f) {
  nlohmann::json summary = {{"route_length", f.route_length},
                            {"stations", f.stations.size()},
                            {"signals", f.signals.size()},
                            {"slowdowns", f.slowdowns.size()},
                            {"speed_boards", f.speed_boards.size()},
                            {"text_boards", f.text_boards.size()},
                            {"tunnels", f.tunnels.size()},
                            {"code_change_points", code_changes(f)},
                            {"first_station", nullptr},
                            {"last_station", nullptr}};
  if (!f.stations.empty()) {
    summary["first_station"] = json_station(f.stations.front());
    summary["last_station"] = json_station(f.stations.back());
  }
  return summary;
}

}  // namespace

// A name becomes part of the output file names, so it must not reach into
// another directory.
std::string typed_name_to_1252(const std::string& utf8, const char* what) {
  if (const size_t separator = utf8.find_first_of(kPathSeparators);
      separator != std::string::npos) {
    throw UsageError(std::string(what) + " \"" + utf8 + "\" holds \"" + utf8[separator] +
                     "\": a name may not contain a path separator");
  }
  const auto converted = name_to_1252(utf8);
  if (!converted) {
    throw UsageError(std::string(what) + " \"" + utf8 +
                     "\" is not well-formed UTF-8 text of characters that Windows-1252 can "
                     "represent");
  }
  return *converted;
}

void create_output_dir(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error)
    throw IoError("cannot create the output directory " + utf8_of(dir) + ": " + error.message());
}

EncodingChoice input_encoding_named(const std::optional<std::string>& name) {
  if (!name) return std::nullopt;
  const std::optional<InputEncoding> encoding = parse_input_encoding(*name);
  if (!encoding) throw UsageError("--input-encoding " + *name + ": give windows-1252 or utf-8");
  return *encoding;
}

std::string decode_source(std::string text, EncodingChoice choice,
                          const std::filesystem::path& path, FileEncoding& encoding) {
  DecodedText decoded = decode_input(std::move(text), choice, interrupt_flag());
  if (decoded.failed_at) {
    throw UsageError(utf8_of(path) + ":" + std::to_string(decoded.failed_at->line) + ":" +
                     std::to_string(decoded.failed_at->column) +
                     // A file read as UTF-8 without the option is UTF-8 throughout.
                     (choice ? ": this character is not valid UTF-8 or has no Windows-1252 form"
                             : ": this character has no Windows-1252 form") +
                     "; the files may hold only the characters of the Windows-1252 code page" +
                     (choice ? ""
                             : " (the file is read as UTF-8 because it is UTF-8 throughout; "
                               "give --input-encoding windows-1252 to read its bytes as "
                               "Windows-1252)"));
  }
  encoding = decoded.encoding;
  return std::move(decoded.text);
}

CompileReport report_of_compile(const CompileOptions& options, const RunOutcome& run,
                                const CompileInputs& inputs, RecordLint& lint) {
  CompileReport out;
  // The rows that hold the cells the errors needed; a clean run keeps none.
  RowRecords records{KeptRows::kObjectsAndStops};
  if (!run.errors.diagnostics().empty() || run.fatal_error != 0) {
    // The same compile again, this time keeping its rows.
    (void)memorizza_percorso({std::string(inputs.line_text), std::string(inputs.train_text)},
                             std::string(inputs.line_name), std::string(inputs.train_number),
                             options.no_profile ? ProfileChoice::kWithout : ProfileChoice::kBuild,
                             RowErrors::kStopTheFile, &records, interrupt_flag());
  }
  out.errors = errors_naming_holders(run.errors.diagnostics(), run.fatal_error, records);
  out.recorded = run.errors.diagnostics().size();
  if (options.no_warnings) return out;
  out.warnings = lint.finish(inputs.line_text, inputs.train_text, inputs.encodings);
  CheckOptions check;
  apply_warning_flags(options.warning_flags, false, check);
  apply_warning_options(out.warnings, check);
  drop_warnings_at_errors(out.warnings, run.errors.diagnostics());
  sort_in_file_order(out.warnings);
  return out;
}

CompiledFiles compile_files(const CompileOptions& options, Disk& disk, ProfileChoice profile,
                            RowListener* listener) {
  const SourceNames sources{utf8_of(options.line_file), utf8_of(options.train_file)};
  check_standard_input(options);
  const std::string line_utf8 = options.line_name.value_or(line_name_of(options.line_file));
  std::string line_name = typed_name_to_1252(line_utf8, "the line name");
  std::string train_number = typed_name_to_1252(
      options.train_number.value_or(train_number_of(options.train_file, line_utf8)),
      "the train number");
  SourceEncodings encodings;
  SourceTexts texts = read_sources(options, disk, encodings);
  RunOutcome run = memorizza_percorso(texts, line_name, train_number, profile,
                                      RowErrors::kStopTheFile, listener, interrupt_flag());
  return {.texts = std::move(texts),
          .encodings = encodings,
          .run = std::move(run),
          .sources = sources,
          .line_name = std::move(line_name),
          .train_number = std::move(train_number)};
}

SourceTexts read_sources(const CompileOptions& options, Disk& disk, SourceEncodings& encodings) {
  const EncodingChoice choice = input_encoding_named(options.input_encoding);
  return {decode_source(read_source(disk, options.line_file, "line file"), choice,
                        options.line_file, encodings.line),
          decode_source(read_source(disk, options.train_file, "train file"), choice,
                        options.train_file, encodings.train)};
}

int run_compile(const CompileOptions& options, Disk& disk, std::ostream& out, std::ostream& err) {
  return run_command_body("compile", err, [&] {
    const ProfileChoice profile =
        options.no_profile ? ProfileChoice::kWithout : ProfileChoice::kBuild;
    RecordLint record_lint;
    const CompiledFiles compiled =
        compile_files(options, disk, profile, options.no_warnings ? nullptr : &record_lint);
    const CompileReport report =
        report_of_compile(options, compiled.run,
                          {*compiled.texts.line_text, *compiled.texts.train_text,
                           compiled.encodings, compiled.line_name, compiled.train_number},
                          record_lint);
    const std::vector<Finding>& warnings = report.warnings;
    create_output_dir(options.output_dir);
    const NamedText line_text{compiled.sources.line_file, *compiled.texts.line_text};
    const NamedText train_text{compiled.sources.train_file, *compiled.texts.train_text};
    render_findings(err, warnings, line_text, train_text, options.colour);
    const size_t recorded = report.recorded;
    const std::span<const Finding> all_errors(report.errors);
    render_findings(err, all_errors.first(recorded), line_text, train_text, options.colour);
    const auto terminal = make_terminal_ui();
    std::vector<std::filesystem::path> written;
    const int status = finish_run(
        compiled.run,
        scenario_file_names(options.output_dir, compiled.line_name, compiled.train_number), disk,
        *terminal, err, written, options.write_on_error ? OnError::kWrite : OnError::kWriteNothing);
    // The fatal error shows as " Errore n. N"; only its notes follow.
    render_notes(err, all_errors.subspan(recorded), line_text, train_text, options.colour);
    if (!warnings.empty()) err << closing_count(recorded, warnings.size()) << '\n';
    if (status == exit_status::kErrorRecorded && written.empty()) {
      err << "scenario-compiler compile: an error was recorded, so no file was written and the "
             "older files are untouched; give --write-on-error to write this run's files anyway\n";
    }
    const bool summary = options.summary && compiled.run.model.has_cells();
    if (options.json) {
      nlohmann::json report =
          run_report_json(compiled.run, compiled.sources, written, all_errors.first(recorded));
      report["written"] = !written.empty();
      report["warnings"] = findings_json(warnings, compiled.sources);
      if (summary) report["summary"] = json_summary(objects::decode_objects(compiled.run.model));
      out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else if (summary) {
      out << route_summary(objects::decode_objects(compiled.run.model));
    }
    return status;
  });
}

}  // namespace sc
