#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "line/line_compiler.h"
#include "model/error_log.h"
#include "model/model.h"

namespace sc {

// The contents of the two text files; nullopt where the file does not exist.
struct SourceTexts {
  std::optional<std::string> line_text;
  std::optional<std::string> train_text;
};

// Which text files the compile call has read and, in the one-shot run, must
// therefore delete.
struct TextFilesRead {
  bool line = false;
  bool train = false;
};

struct RunOutcome {
  Scenario model;
  ErrorLog errors;
  TextFilesRead read;
  // Non-zero when the run ends through errore: the number shown, and no binary
  // file may be written.
  int fatal_error = 0;
};

// The driver: clears the table, compiles, runs the post-pass and stores the
// format markers and check codes; `profile` says whether the line profile
// is built.
// Writes no file; the caller writes the binary files unless fatal_error is
// set.
// How the rows of a file go on after a row that records an error.
enum class RowErrors {
  kStopTheFile,  // as the simulator's tools do: the file is read no further
  kReadOn,       // every row is read; only a fault ends a file
};

RunOutcome memorizza_percorso(const SourceTexts& texts, const std::string& line_name,
                              const std::string& train_number, ProfileChoice profile,
                              RowErrors row_errors = RowErrors::kStopTheFile,
                              RowListener* listener = nullptr, const StopFlag& stop = {});

// memorizza_percorso in two steps, so that one line file compiled once
// serves many train files: the run as the line file leaves it, and whether
// the train file is read after it. The train number is set after the line
// half, which never reads it.
struct LineOfRun {
  RunOutcome run;
  bool train_follows = false;
  int board_cursor = entry::kFirstBoard;
};
LineOfRun compile_line_of_run(const std::optional<std::string>& line_text,
                              const std::string& line_name, ProfileChoice profile,
                              RowErrors row_errors = RowErrors::kStopTheFile,
                              RowListener* listener = nullptr, const StopFlag& stop = {});
// Goes on with `line` (a copy, for a line that serves several trains) to the
// end of the run: memorizza_percorso is compile_train_of_run of
// compile_line_of_run. The profile is made by the line half alone; a copy of
// `line` without it compiles the same table and cells.
RunOutcome compile_train_of_run(LineOfRun line, const std::optional<std::string>& train_text,
                                const std::string& train_number, RowListener* listener = nullptr,
                                const StopFlag& stop = {});

}  // namespace sc
