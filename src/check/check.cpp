#include "check/check.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "check/lint.h"
#include "driver/pipeline.h"
#include "model/model.h"

namespace sc {
namespace {

constexpr int32_t kBuildProfile = 1;

std::string_view file_name_of(Source source) {
  return source == Source::kLineFile ? "line file" : "train file";
}

bool is_in_a_file(const Diagnostic& d) {
  return d.source != Source::kRoute && d.location.known();
}

// Every error a compiler records at a row ends the reading of that file.
std::vector<Diagnostic> stopping_errors(const CompileErrors& run) {
  std::vector<Diagnostic> stops;
  std::copy_if(run.diagnostics.begin(), run.diagnostics.end(), std::back_inserter(stops),
               is_in_a_file);
  return stops;
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

// Replaces the text of line `number` by blanks, keeping its line end; false
// when it held nothing to blank.
bool blank_line(std::string& text, int number) {
  int line = 1;
  size_t i = 0;
  while (i < text.size() && line < number) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') ++line;
    ++i;
  }
  bool changed = false;
  for (; i < text.size() && text[i] != '\r' && text[i] != '\n'; ++i) {
    changed |= text[i] != ' ';
    text[i] = ' ';
  }
  return changed;
}

bool is_blank_line(std::string_view text, int number) {
  std::string copy(text);
  return !blank_line(copy, number);
}

// The row that holds the field at `line`: it starts on an earlier line when
// rows with too few values ran on into this one. Returns the lines to blank.
std::pair<int, int> stopping_row(std::string_view text, int line, const std::set<int>& spilled) {
  int first = line;
  for (int before = line - 1; before >= 1; --before) {
    if (is_blank_line(text, before)) continue;
    if (!spilled.contains(before)) break;
    first = before;
  }
  return first < line ? std::pair(first, line - 1) : std::pair(line, line);
}

bool blank_lines(std::string& text, std::pair<int, int> lines) {
  bool changed = false;
  for (int line = lines.first; line <= lines.second; ++line) changed |= blank_line(text, line);
  return changed;
}

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
  void add(const Diagnostic& d, bool first_run, bool built_cells) {
    const auto key = std::tuple(d.source, d.location.line, d.location.column, d.number);
    if (!seen_.insert(key).second) return;
    Finding finding = error_from(d);
    if (first_run) {
      finding.notes.push_back({compile_stops_note(d, built_cells), d.source, d.location});
    }
    findings_.push_back(std::move(finding));
  }
  std::vector<Finding> take() { return std::move(findings_); }

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

CompileTexts compile_as_compile_does(std::string line_name, std::string train_number) {
  return [line_name = std::move(line_name), train_number = std::move(train_number)](
             const std::string& line_text, const std::string& train_text) {
    const RunOutcome run =
        memorizza_percorso({line_text, train_text}, line_name, train_number, kBuildProfile);
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
                                 const CompileTexts& compile, const SpilledRows& spilled) {
  ErrorMerge merge;
  CompileErrors run = compile(line_text, train_text);
  for (bool first_run = true;; first_run = false) {
    const std::vector<Diagnostic> stops = stopping_errors(run);
    bool blanked = false;
    for (const Diagnostic& d : stops) {
      merge.add(d, first_run, run.built_cells);
      const bool in_line_file = d.source == Source::kLineFile;
      std::string& text = in_line_file ? line_text : train_text;
      blanked |=
          blank_lines(text, stopping_row(text, d.location.line,
                                         in_line_file ? spilled.line_file : spilled.train_file));
    }
    // Without cells every later row would fail for want of them.
    if (stops.empty() || !blanked || !run.built_cells) break;
    run = compile(line_text, train_text);
  }
  std::vector<Finding> findings = merge.take();
  for (const Diagnostic& d : run.diagnostics) {
    if (!is_in_a_file(d)) findings.push_back(error_from(d));
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
  std::vector<Finding> errors = find_errors(line_text, train_text, compile, spilled);
  name_the_rows_that_hold_cells(errors, placements);
  drop_warnings_at_errors(findings, errors);
  findings.insert(findings.end(), errors.begin(), errors.end());
  sort_in_file_order(findings);
  return findings;
}

}  // namespace sc
