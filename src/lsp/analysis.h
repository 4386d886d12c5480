#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/check.h"
#include "textio/stop_flag.h"

namespace sc::lsp {

// The one place where the server meets the checks: everything it publishes
// comes through analyse_pair, in the server's own terms.

enum class Side { kLineFile, kTrainFile, kRoute };

// A place in one of the two files: 1-based line and column of a field,
// counted in characters; line 0 when the place is the file as a whole.
struct Spot {
  Side side = Side::kRoute;
  int line = 0;
  int column = 0;
};

struct RelatedNote {
  Spot at;
  std::string message;
};

// One edit of the change that puts right what a problem points at: the
// characters from `from` up to `to` replaced by `text`.
struct Edit {
  Spot from;
  Spot to;
  std::string text;  // UTF-8
};

struct Problem {
  bool error = false;
  Spot at;
  Spot end;             // after its last character; line 0 when not known
  std::string code;     // the catalogue name
  std::string message;  // UTF-8
  std::vector<RelatedNote> notes;
  std::vector<Edit> fix;  // the finding's fix-its, applied together
};

// A finding of check as the server publishes it.
Problem problem_of(const Finding& finding);

// The compile that check runs, for the pair of files it is given (the names
// feed the check codes); each compile throws WorkStopped once `stop` is set.
using CompilerFor =
    std::function<CompileTexts(const std::filesystem::path& line_file,
                               const std::filesystem::path& train_file, const StopFlag& stop)>;

struct AnalysisLimits {
  size_t error_limit = 0;  // errors at most, as check's --error-limit; 0 for all
  // Looked at while the texts are converted and before each compile of the
  // pair (and by the compile, where it was given the same flag): once set,
  // the analysis throws WorkStopped.
  StopFlag stop;
};

struct Analysis {
  std::vector<Problem> problems;
  bool stopped_at_error_limit = false;
};

// Every problem of the pair, for texts in UTF-8 as the editor holds them.
Analysis analyse_pair(const std::string& line_text, const std::string& train_text,
                      const CompileTexts& compile, const AnalysisLimits& limits = {});

}  // namespace sc::lsp
