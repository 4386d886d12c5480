#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "check/encoding.h"
#include "check/finding.h"
#include "check/lint.h"
#include "driver/pipeline.h"
#include "format/row_record.h"
#include "model/error_log.h"
#include "textio/stop_flag.h"

namespace sc {

// What one compile of a line text and a train text recorded, the rows it
// read that errors may concern, and its rows' warnings.
struct CompileErrors {
  std::vector<Finding> diagnostics;
  int32_t fatal_error = 0;   // the number shown through errore, 0 when none
  bool built_cells = false;  // false when the line file stopped before its route length
  RowRecords records{KeptRows::kErrorPlaces};
  // Told every row as the compile read it; its finish gives the warnings.
  std::unique_ptr<RecordLint> lint = std::make_unique<RecordLint>();
};
using CompileTexts =
    std::function<CompileErrors(const std::string& line_text, const std::string& train_text)>;

// The compile of the `compile` command; `profile` says whether it builds the
// profile, as --no-profile does. By default it reads on past each row's error, so that
// one compile finds them all. Each compile throws WorkStopped once `stop` is
// set.
CompileTexts compile_as_compile_does(std::string line_name, std::string train_number,
                                     ProfileChoice profile = ProfileChoice::kBuild,
                                     RowErrors row_errors = RowErrors::kReadOn, StopFlag stop = {});

// The compile of check for two files, under the line name and train number
// `compile` gives them: those given (UTF-8), else those the files' names
// give. The names only feed the check codes, which no error depends on.
// Each compile throws WorkStopped once `stop` is set.
CompileTexts compile_named_after(const std::filesystem::path& line_file,
                                 const std::filesystem::path& train_file,
                                 const std::optional<std::string>& line_name = {},
                                 const std::optional<std::string>& train_number = {},
                                 ProfileChoice profile = ProfileChoice::kBuild, StopFlag stop = {});

// Every error of both files, from `first`, the compile of the two texts, on.
// A compile may stop reading a file at a row's error (and always stops at a
// fault); to go on, each row that recorded an error is blanked out (its
// bytes, as the compile read them and to the end of the line where it
// stopped, become blanks; line ends stay) and the texts compiled again, until no row
// stops a file. The errors of all runs are merged without repeats, each with
// notes naming the rows that hold the cells it needed; errors of the route as
// a whole (post-pass, format markers, check codes) come from the last run.
// With a non-zero `error_limit`, no new run starts once more errors than that
// are found.
//
// Given `later.warnings`, the warnings of rows that only a later run reached
// (those past where the run before it stopped reading their file) are added
// there.
struct LaterWarnings {
  std::vector<Finding>* warnings = nullptr;
  SourceEncodings encodings;
};
std::vector<Finding> find_errors(std::string line_text, std::string train_text,
                                 const CompileTexts& compile, CompileErrors first,
                                 size_t error_limit = 0, LaterWarnings later = {});

// Gives each error at a field that `records` hold (the rows of the compile
// that recorded it) the field's extent.
void span_the_fields(std::vector<Finding>& errors, const RowRecords& records);

// Adds to each "cell taken" error a note at the row whose object holds the
// cell, and says for 1250 and 1251 which row, or the post-pass, filled cell 1;
// `records` are the rows of the compile that recorded the errors.
void name_the_rows_that_hold_cells(std::vector<Finding>& errors, const RowRecords& records);

// The errors one compile recorded, and its fatal error if it is 1250 or 1251,
// each taken-cell error and slot error with a note at the row that holds the
// cell (`records`, of the same compile): what compile adds under its own error
// lines.
std::vector<Finding> errors_naming_holders(const std::vector<Finding>& diagnostics,
                                           int32_t fatal_error, const RowRecords& records);

struct CheckOptions {
  SourceEncodings encodings;  // how each file was read
  bool warnings_as_errors = false;
  std::set<Warning> disabled_warnings;  // given as -Wno-NAME
  size_t error_limit = 0;               // errors to find at most; 0 for all
};

// Errors and warnings of both files in file order, for texts as the compilers
// read them (Windows-1252); `options.encodings` tells how each file was read.
std::vector<Finding> check_sources(const std::string& line_text, const std::string& train_text,
                                   const CheckOptions& options, const CompileTexts& compile);

// Drops every finding after the `limit`-th error (in the order given), as a
// compiler stops after so many errors. True when something was dropped; 0
// for no limit.
bool stop_after_errors(std::vector<Finding>& findings, size_t limit);

// Drops each warning that stands at the very field of an error.
void drop_warnings_at_errors(std::vector<Finding>& warnings, const std::vector<Finding>& errors);

// Drops the disabled warnings and, with -Werror, makes the others errors.
void apply_warning_options(std::vector<Finding>& findings, const CheckOptions& options);

}  // namespace sc
