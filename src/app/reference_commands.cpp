#include "app/reference_commands.h"

#include <ostream>
#include <system_error>

#include "app/interrupt.h"
#include "app/run.h"
#include "documents/documents.h"
#include "reference/error_reference.h"
#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc {

int run_example(const ExampleOptions& options, Disk& disk, std::ostream& out, std::ostream& err) {
  const ScenarioFileNames names =
      scenario_file_names(options.dir, kBuiltInLineName, kBuiltInTrainNumber);
  const std::pair<const std::filesystem::path&, DocumentLines (*)()> files[] = {
      {names.line_text, dati_linea}, {names.train_text, dati_treno}};
  if (!options.force) {
    for (const auto& [path, lines] : files) {
      std::error_code error;
      if (!std::filesystem::exists(path, error) && !error) continue;
      err << "scenario-compiler example: " << utf8_of(path)
          << " already exists; give --force to replace it\n";
      return exit_status::kInputOutput;
    }
  }
  try {
    std::error_code error;
    std::filesystem::create_directories(options.dir, error);
    if (error) {
      throw IoError("cannot create the directory " + utf8_of(options.dir) + ": " + error.message());
    }
    for (const auto& [path, lines] : files) disk.write_file(path, render_document(lines()));
    disk.commit();
  } catch (const IoError& e) {
    err << "scenario-compiler example: " << e.what() << '\n';
    return exit_status::kInputOutput;
  } catch (const Interrupted& e) {
    return exit_status::interrupted(e.signal);
  }
  for (const auto& [path, lines] : files) out << utf8_of(path) << '\n';
  return exit_status::kClean;
}

int run_explain(const ExplainOptions& options, std::ostream& out, std::ostream& err) {
  if (options.list) {
    for (const ErrorSection& error : error_reference()) {
      out << error.number << ' ' << error.name << '\n';
    }
    for (const ErrorSection& warning : warning_reference()) out << warning.name << '\n';
    return exit_status::kClean;
  }
  const std::optional<ErrorSection> section = find_diagnostic_section(options.what);
  if (!section) {
    err << "scenario-compiler explain: "
        << (options.what.empty() ? "give an error number or the name of an error or a warning"
                                 : "there is no error or warning \"" + options.what + "\"")
        << "; scenario-compiler explain --list lists them\n";
    return exit_status::kInputOutput;
  }
  out << plain_text(*section);
  return exit_status::kClean;
}

}  // namespace sc
