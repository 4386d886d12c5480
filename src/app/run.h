#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/disk.h"
#include "app/ui.h"
#include "driver/pipeline.h"
#include "textio/file_names.h"

namespace sc {

namespace exit_status {
constexpr int kClean = 0;
constexpr int kErrorRecorded = 1;
constexpr int kInputOutput = 2;
constexpr int kFatal = 3;
// A run ended by a signal, as shells report it.
constexpr int interrupted(int signal) {
  return 128 + signal;
}
}  // namespace exit_status

// The names a diagnostic gives the two text files.
struct SourceNames {
  std::string line_file;
  std::string train_file;
};

// One diagnostic line: "FILE:LINE:COLUMN: error N: message" where the row is
// known, "FILE: error N: message" where only the file is, and a plain
// sentence for the errors of the route as a whole.
std::string format_diagnostic(const Finding& diagnostic, const SourceNames& sources);

// Every recorded error, one line each in the order recorded.
void list_errors(const RunOutcome& run, const SourceNames& sources, std::ostream& err);

// What a run that records an error does with its binary files: the one-shot
// run writes them, `compile` leaves the older set untouched unless asked.
enum class OnError { kWrite, kWriteNothing };

// Ends a compiled run whose errors were reported: stages the binary files
// unless there is a fatal error (or, with OnError::kWriteNothing, any error),
// puts every file staged on `disk` in place, and shows the fatal error
// through `ui`. Returns the exit status and appends the binary files written
// to `written`.
int finish_run(const RunOutcome& run, const ScenarioFileNames& names, Disk& disk, Ui& ui,
               std::ostream& err, std::vector<std::filesystem::path>& written, OnError on_error);

// The one-shot run in `program_dir`: documents, compile of the built-in
// scenario, binary files.
int run_one_shot(const std::filesystem::path& program_dir, Disk& disk, Ui& ui, std::ostream& err);

}  // namespace sc
