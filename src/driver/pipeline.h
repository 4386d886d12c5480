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

// Compiles the line text, then the train text, into `model`. Failures are
// recorded in `errors`; a fault of either half is caught here as error 25.
TextFilesRead memorizza_dati(const SourceTexts& texts, ProfileChoice profile, Scenario& model,
                             ErrorLog& errors);

// The driver: clears the table, compiles, runs the post-pass and stores the
// format markers and check codes. A non-zero `j` builds the line profile.
// Writes no file; the caller writes the binary files unless fatal_error is
// set.
RunOutcome memorizza_percorso(const SourceTexts& texts, const std::string& line_name,
                              const std::string& train_number, int32_t j);

}  // namespace sc
