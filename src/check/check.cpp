#include "check/check.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "check/lint.h"
#include "diagnostics/source_lines.h"
#include "driver/pipeline.h"
#include "model/model.h"

namespace sc {
namespace {

constexpr int32_t kBuildProfile = 1;

std::string_view file_name_of(Source source) {
  return source == Source::kLineFile ? "line file" : "train file";
}

// Every error a compiler records at a row ends the reading of that file.
bool stops_its_file(const Diagnostic& d) {
  return d.source != Source::kRoute && d.location.known() && !found_after_rows(d.code);
}

std::vector<Diagnostic> stopping_errors(const CompileErrors& run) {
  std::vector<Diagnostic> stops;
  std::copy_if(run.diagnostics.begin(), run.diagnostics.end(), std::back_inserter(stops),
               stops_its_file);
  return stops;
}

// The errors of a compile that reads on past a row's error at which a compile
// that stops there stops: the first in the line file and, unless that one is
// error 15 (after which the train file is read), the first in the train file.
std::vector<const Diagnostic*> where_compile_stops(const std::vector<Diagnostic>& stops) {
  std::vector<const Diagnostic*> found;
  const auto first_in = [&](Source source) {
    const auto it = std::ranges::find(stops, source, &Diagnostic::source);
    return it == stops.end() ? nullptr : &*it;
  };
  const Diagnostic* line = first_in(Source::kLineFile);
  if (line) found.push_back(line);
  const Diagnostic* train = first_in(Source::kTrainFile);
  if (train && (!line || line->code == ErrorCode::kBeyondRoute)) found.push_back(train);
  return found;
}

std::string compile_stops_note(const Diagnostic& d, bool built_cells) {
  if (!built_cells) {
    return "compile stops reading the line file here, before the route length that every later "
           "row needs, so check reads no further either";
  }
  if (d.code == ErrorCode::kBeyondRoute) {
    return "compile reads no further row of the " + std::string(file_name_of(d.source)) +
           " after this one; check read on to the end of both files";
  }
  if (d.source == Source::kLineFile) {
    return "compile stops reading the line file here and does not read the train file; check "
           "read on to the end of both files";
  }
  return "compile stops reading the train file here; check read on to its end";
}

// A text whose rows check leaves out by blanking their lines; blanking keeps
// every line end, so the lines are found once.
class BlankableText {
 public:
  explicit BlankableText(std::string& text) : text_(text), lines_(text) {}

  // Replaces the text of line `number` by blanks, keeping its line end; false
  // when it held nothing to blank.
  bool blank_line(int number) {
    bool changed = false;
    const size_t end = lines_.start(number) + lines_.line(number).size();
    for (size_t i = lines_.start(number); i < end; ++i) {
      changed |= text_[i] != ' ';
      text_[i] = ' ';
    }
    return changed;
  }

  bool is_blank_line(int number) const {
    return lines_.line(number).find_first_not_of(' ') == std::string_view::npos;
  }

  // The row that holds the field at `line`: it starts on an earlier line when
  // rows with too few values ran on into this one. Blanks its lines.
  bool blank_row(int line, const std::set<int>& spilled) {
    int first = line;
    for (int before = line - 1; before >= 1; --before) {
      if (is_blank_line(before)) continue;
      if (!spilled.contains(before)) break;
      first = before;
    }
    const int last = first < line ? line - 1 : line;
    bool changed = false;
    for (int number = first; number <= last; ++number) changed |= blank_line(number);
    return changed;
  }

 private:
  std::string& text_;
  SourceLines lines_;
};

Finding fatal_finding(int32_t fatal_error) {
  Finding fatal;
  fatal.severity = Severity::kError;
  fatal.error_number = fatal_error;
  const ErrorInfo* info = find_error(fatal_error);
  fatal.name = info ? std::string(info->name) : "";
  fatal.message = info ? std::string(info->summary) : "";
  return fatal;
}

bool is_slot_error(int32_t number) {
  return number == error_number(ErrorCode::kFormatMarkerSlotTaken) ||
         number == error_number(ErrorCode::kCheckCodeSlotTaken);
}

// Located errors of every run, each once.
class ErrorMerge {
 public:
  // `compile_stops` tells that compile, which stops at a row's error, stops here.
  void add(const Diagnostic& d, bool compile_stops, bool built_cells) {
    const auto key = std::tuple(d.source, d.location.line, d.location.column, d.number);
    if (!seen_.insert(key).second) return;
    Finding finding = error_from(d);
    if (compile_stops) {
      finding.notes.push_back({compile_stops_note(d, built_cells), d.source, d.location});
    }
    findings_.push_back(std::move(finding));
  }
  std::vector<Finding> take() { return std::move(findings_); }
  size_t size() const { return findings_.size(); }

 private:
  std::set<std::tuple<Source, int, int, int32_t>> seen_;
  std::vector<Finding> findings_;
};

// Which of a row's cells each "cell taken" error is about.
std::optional<std::string_view> taken_part(int32_t number) {
  switch (static_cast<ErrorCode>(number)) {
    case ErrorCode::kTextBoardCellTaken:
    case ErrorCode::kSpeedBoardCellTaken:
    case ErrorCode::kSignalCellTaken:
    case ErrorCode::kAbbattimentoCellTaken:
      return "";
    case ErrorCode::kWarningCellTaken:
      return "warning";
    case ErrorCode::kStartCellTaken:
      return "start";
    case ErrorCode::kEndCellTaken:
      return "end";
    case ErrorCode::kCountdownCellTaken:
      return "countdown";
    default:
      return std::nullopt;
  }
}

// The compile reads the line file's rows first, then the train file's.
bool comes_before(Source a, int a_line, Source b, int b_line) {
  return std::pair(a != Source::kLineFile, a_line) < std::pair(b != Source::kLineFile, b_line);
}

Note holder_note(const Placement& holder) {
  return {"the " + std::string(holder.what) + " of this row, at " +
              std::to_string(holder.position) + " m, already holds cell " +
              std::to_string(holder.cell),
          holder.source, holder.row};
}

// The first row before the error's row whose object takes one of the cells
// the error's row needed.
const Placement* holder_of(const Finding& error, std::string_view part,
                           const std::vector<Placement>& placements) {
  std::set<int64_t> needed;
  for (const Placement& p : placements) {
    if (p.source == error.source && p.row.line == error.location.line && p.part == part) {
      needed.insert(p.cell);
    }
  }
  for (const Placement& p : placements) {
    if (needed.contains(p.cell) &&
        comes_before(p.source, p.row.line, error.source, error.location.line)) {
      return &p;
    }
  }
  return nullptr;
}

void explain_slot(Finding& fatal, const std::vector<Placement>& placements) {
  fatal.message = "cell 1 already holds a value in the slot that the " +
                  std::string(fatal.error_number == error_number(ErrorCode::kFormatMarkerSlotTaken)
                                  ? "format marker"
                                  : "check code") +
                  " takes, so the run ends without writing any binary file; no object may "
                  "stand in cell 1";
  const auto holder = std::find_if(placements.begin(), placements.end(),
                                   [](const Placement& p) { return p.cell == kMarkerCell; });
  if (holder != placements.end()) {
    fatal.notes.push_back(holder_note(*holder));
  } else {
    fatal.notes.push_back(
        {"no row puts an object in cell 1: the block post-pass marked it for a "
         "slowdown near the route's start",
         Source::kRoute,
         {}});
  }
}

}  // namespace

void name_the_rows_that_hold_cells(std::vector<Finding>& errors,
                                   const std::vector<Placement>& placements) {
  for (Finding& error : errors) {
    if (is_slot_error(error.error_number)) {
      explain_slot(error, placements);
      continue;
    }
    const std::optional<std::string_view> part = taken_part(error.error_number);
    if (!part || !error.location.known()) continue;
    if (const Placement* holder = holder_of(error, *part, placements)) {
      error.notes.push_back(holder_note(*holder));
    }
  }
}

CompileTexts compile_as_compile_does(std::string line_name, std::string train_number,
                                     RowErrors row_errors) {
  return [line_name = std::move(line_name), train_number = std::move(train_number), row_errors](
             const std::string& line_text, const std::string& train_text) {
    const RunOutcome run = memorizza_percorso({line_text, train_text}, line_name, train_number,
                                              kBuildProfile, row_errors);
    return CompileErrors{.diagnostics = run.errors.diagnostics(),
                         .fatal_error = run.fatal_error,
                         .built_cells = run.model.has_cells()};
  };
}

SpilledRows spilled_rows(const std::vector<Finding>& warnings) {
  SpilledRows spilled;
  const std::string_view name = warning_info(Warning::kTooFewValues).name;
  for (const Finding& f : warnings) {
    if (f.name != name) continue;
    (f.source == Source::kLineFile ? spilled.line_file : spilled.train_file)
        .insert(f.location.line);
  }
  return spilled;
}

std::vector<Finding> find_errors(std::string line_text, std::string train_text,
                                 const CompileTexts& compile, const SpilledRows& spilled,
                                 size_t error_limit) {
  ErrorMerge merge;
  BlankableText line_rows(line_text);
  BlankableText train_rows(train_text);
  CompileErrors run = compile(line_text, train_text);
  for (bool first_run = true;; first_run = false) {
    const std::vector<Diagnostic> stops = stopping_errors(run);
    const std::vector<const Diagnostic*> compile_stops =
        first_run ? where_compile_stops(stops) : std::vector<const Diagnostic*>{};
    bool blanked = false;
    for (const Diagnostic& d : stops) {
      merge.add(d, std::ranges::find(compile_stops, &d) != compile_stops.end(), run.built_cells);
      const bool in_line_file = d.source == Source::kLineFile;
      blanked |=
          (in_line_file ? line_rows : train_rows)
              .blank_row(d.location.line, in_line_file ? spilled.line_file : spilled.train_file);
    }
    // Without cells every later row would fail for want of them.
    if (stops.empty() || !blanked || !run.built_cells) break;
    // One error past the limit tells that there were more.
    if (error_limit != 0 && merge.size() > error_limit) break;
    run = compile(line_text, train_text);
  }
  std::vector<Finding> findings = merge.take();
  for (const Diagnostic& d : run.diagnostics) {
    if (!stops_its_file(d)) findings.push_back(error_from(d));
  }
  if (is_slot_error(run.fatal_error)) findings.push_back(fatal_finding(run.fatal_error));
  return findings;
}

std::vector<Finding> errors_naming_holders(const std::vector<Diagnostic>& diagnostics,
                                           int32_t fatal_error,
                                           const std::vector<Placement>& placements) {
  std::vector<Finding> errors;
  for (const Diagnostic& d : diagnostics) errors.push_back(error_from(d));
  if (is_slot_error(fatal_error)) errors.push_back(fatal_finding(fatal_error));
  name_the_rows_that_hold_cells(errors, placements);
  return errors;
}

// An error at the very field says more than a warning there.
void drop_warnings_at_errors(std::vector<Finding>& warnings, const std::vector<Finding>& errors) {
  std::erase_if(warnings, [&](const Finding& w) {
    return w.location.known() && std::any_of(errors.begin(), errors.end(), [&](const Finding& e) {
             return e.source == w.source && e.location == w.location;
           });
  });
}

void apply_warning_options(std::vector<Finding>& findings, const CheckOptions& options) {
  std::erase_if(findings, [&](const Finding& f) {
    return f.severity == Severity::kWarning && options.disabled_warnings.contains(f.name);
  });
  if (!options.warnings_as_errors) return;
  for (Finding& f : findings) {
    if (f.severity == Severity::kWarning) f.severity = Severity::kError;
  }
}

std::vector<Finding> check_sources(const std::string& line_text, const std::string& train_text,
                                   const CheckOptions& options, const CompileTexts& compile) {
  std::vector<Placement> placements;
  std::vector<Finding> findings =
      lint_sources(line_text, train_text, options.encodings, &placements);
  const SpilledRows spilled = spilled_rows(findings);
  apply_warning_options(findings, options);
  std::vector<Finding> errors =
      find_errors(line_text, train_text, compile, spilled, options.error_limit);
  name_the_rows_that_hold_cells(errors, placements);
  drop_warnings_at_errors(findings, errors);
  findings.insert(findings.end(), errors.begin(), errors.end());
  sort_in_file_order(findings);
  return findings;
}

bool stop_after_errors(std::vector<Finding>& findings, size_t limit) {
  if (limit == 0) return false;
  size_t errors = 0;
  const auto last = std::find_if(findings.begin(), findings.end(), [&](const Finding& f) {
    return f.severity == Severity::kError && ++errors == limit;
  });
  if (last == findings.end() || last + 1 == findings.end()) return false;
  findings.erase(last + 1, findings.end());
  return true;
}

}  // namespace sc
