#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "check/encoding.h"
#include "check/finding.h"
#include "check/row_lint.h"
#include "model/error_log.h"

namespace sc {

// What one compile of a line text and a train text recorded.
struct CompileErrors {
  std::vector<Diagnostic> diagnostics;
  int32_t fatal_error = 0;   // the number shown through errore, 0 when none
  bool built_cells = false;  // false when the line file stopped before its route length
};
using CompileTexts =
    std::function<CompileErrors(const std::string& line_text, const std::string& train_text)>;

// The compile of the `compile` command, with the profile built.
CompileTexts compile_as_compile_does(std::string line_name, std::string train_number);

// The lines of each file whose row has too few values on its line, so that
// the compile reads the row on into the next line.
struct SpilledRows {
  std::set<int> line_file;
  std::set<int> train_file;
};
SpilledRows spilled_rows(const std::vector<Finding>& warnings);

// Every error of both files. The compile stops reading a file at its first
// error; to go on, the row of each stopping error is blanked out (its line
// numbers kept) and the texts compiled again, until no row stops a file. A
// row that spilled into the line of the error is blanked in its place, so
// that the line is read again as a row of its own. The errors of all runs are
// merged without repeats; errors of the route as a whole (post-pass, format
// markers, check codes) come from the last run.
std::vector<Finding> find_errors(std::string line_text, std::string train_text,
                                 const CompileTexts& compile, const SpilledRows& spilled);

// Adds to each "cell taken" error a note at the row whose object holds the
// cell, and says for 1250 and 1251 which row, or the post-pass, filled cell 1.
void name_the_rows_that_hold_cells(std::vector<Finding>& errors,
                                   const std::vector<Placement>& placements);

// The errors one compile recorded, and its fatal error if it is 1250 or 1251,
// each taken-cell error and slot error with a note at the row that holds the
// cell (`placements`, from the lint of the same texts): what compile adds under
// its own error lines.
std::vector<Finding> errors_naming_holders(const std::vector<Diagnostic>& diagnostics,
                                           int32_t fatal_error,
                                           const std::vector<Placement>& placements);

struct CheckOptions {
  SourceEncodings encodings;  // how each file was read
  bool warnings_as_errors = false;
  std::set<std::string> disabled_warnings;  // names given as -Wno-NAME
};

// Errors and warnings of both files in file order, for texts as the compilers
// read them (Windows-1252); `options.encodings` tells how each file was read.
std::vector<Finding> check_sources(const std::string& line_text, const std::string& train_text,
                                   const CheckOptions& options, const CompileTexts& compile);

// Drops each warning that stands at the very field of an error.
void drop_warnings_at_errors(std::vector<Finding>& warnings, const std::vector<Finding>& errors);

// Drops the disabled warnings and, with -Werror, makes the others errors.
void apply_warning_options(std::vector<Finding>& findings, const CheckOptions& options);

}  // namespace sc
