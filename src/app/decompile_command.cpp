#include "app/decompile_command.h"

#include <ostream>
#include <string>
#include <system_error>

#include "app/compile_command.h"
#include "app/interrupt.h"
#include "app/run.h"
#include "app/scenario_files.h"
#include "decompile/decompile.h"
#include "driver/pipeline.h"
#include "textio/codepage.h"
#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

constexpr const char* kCommand = "decompile";

// A name from the table, which also names the text files.
std::string file_name_part(const std::string& name, const char* what) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
    throw DecompileError(std::string("the ") + what + " \"" + cp1252_to_utf8(name) +
                         "\" in the scenario table cannot name a file");
  }
  return cp1252_to_utf8(name);
}

// Compiles the texts in memory as `compile` does and compares the result
// with the files. Returns a warning when the texts record an error. Ctrl-C
// stops the compile.
std::optional<std::string> prove(const Scenario& files, const DecompiledTexts& texts) {
  const RunOutcome again =
      memorizza_percorso({texts.line, texts.train}, files.table[entry::kLineHeader].text,
                         files.table[entry::kTrainHeader].text,
                         files.profile ? ProfileChoice::kBuild : ProfileChoice::kWithout,
                         RowErrors::kStopTheFile, nullptr, interrupt_flag());
  if (again.fatal_error != 0) {
    throw DecompileError("the texts found end in fatal error " + std::to_string(again.fatal_error) +
                         " when compiled");
  }
  if (const auto difference = first_difference(files, again.model)) {
    throw DecompileError("the texts found would not compile to these files (" + *difference + ")");
  }
  if (!again.errors.has_error()) return std::nullopt;
  return "the files come from a source with errors: compiling the written texts records error " +
         std::to_string(again.errors.error_number()) + " again (" +
         cp1252_to_utf8(again.errors.diagnostics().back().message) + ")";
}

void refuse_to_replace(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::exists(path, error) || error) {
    throw UsageError(utf8_of(path) + " already exists; give --force to replace it");
  }
}

void create_output_directory(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) throw IoError("cannot create the directory " + utf8_of(dir) + ": " + error.message());
}

}  // namespace

int run_decompile(const DecompileOptions& options, Disk& disk, std::ostream& out,
                  std::ostream& err) {
  return run_command_body(kCommand, err, [&] {
    const Scenario files = read_scenario(options.files, disk);
    try {
      DecompiledTexts texts = decompile(files);
      const ScenarioFileNames names = scenario_file_names(
          options.output_dir, file_name_part(files.table[entry::kLineHeader].text, "line name"),
          file_name_part(files.table[entry::kTrainHeader].text, "train number"));
      if (auto warning = prove(files, texts)) texts.warnings.push_back(std::move(*warning));
      if (!options.force) {
        refuse_to_replace(names.line_text);
        refuse_to_replace(names.train_text);
      }
      create_output_directory(options.output_dir);
      for (const std::string& warning : texts.warnings) {
        err << "scenario-compiler " << kCommand << ": warning: " << warning << '\n';
      }
      disk.write_file(names.line_text, texts.line);
      disk.write_file(names.train_text, texts.train);
      disk.commit();
      out << utf8_of(names.line_text) << '\n' << utf8_of(names.train_text) << '\n';
      return exit_status::kClean;
    } catch (const DecompileError& e) {
      err << "scenario-compiler " << kCommand << ": cannot decompile: " << e.what()
          << "; nothing written\n";
      return exit_status::kErrorRecorded;
    }
  });
}

}  // namespace sc
