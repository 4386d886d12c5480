#include "check/check.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "check/lint.h"
#include "diagnostics/source_lines.h"
#include "driver/pipeline.h"
#include "model/cell_objects.h"
#include "model/model.h"
#include "textio/codepage.h"
#include "textio/field_reader.h"
#include "textio/file_names.h"

namespace sc {
namespace {

std::string_view file_name_of(Source source) {
  return source == Source::kLineFile ? "line file" : "train file";
}

// Every error a compiler records at a row ends the reading of that file, in
// a compile that stops at a row's error.
bool stops_its_file(const Finding& d) {
  return d.source != Source::kRoute && d.location.known() && !found_after_rows(*d.error());
}

std::vector<Finding> stopping_errors(const CompileErrors& run) {
  std::vector<Finding> stops;
  std::copy_if(run.diagnostics.begin(), run.diagnostics.end(), std::back_inserter(stops),
               stops_its_file);
  return stops;
}

bool is_fault_in(const Finding& d, Source source) {
  return d.source == source && d.code == FindingCode{ErrorCode::kRunTimeFault};
}

// The errors of a compile that reads on past a row's error at which a compile
// that stops there stops: the first in the line file and, unless that one is
// error 15 (after which the train file is read), the first in the train file.
// When the line file holds a fault, the train file's errors get no note.
std::vector<const Finding*> where_compile_stops(const std::vector<Finding>& stops) {
  std::vector<const Finding*> found;
  const auto first_in = [&](Source source) {
    const auto it = std::find_if(stops.begin(), stops.end(),
                                 [source](const Finding& f) { return f.source == source; });
    return it == stops.end() ? nullptr : &*it;
  };
  const Finding* line = first_in(Source::kLineFile);
  if (line) found.push_back(line);
  const Finding* train = first_in(Source::kTrainFile);
  const bool line_faulted = std::any_of(stops.begin(), stops.end(), [](const Finding& d) {
    return is_fault_in(d, Source::kLineFile);
  });
  if (train && !line_faulted && (!line || line->code == FindingCode{ErrorCode::kBeyondRoute}))
    found.push_back(train);
  return found;
}

std::string compile_stops_note(const Finding& d, bool built_cells) {
  if (!built_cells) {
    return "compile stops reading the line file here, before the route length that every later "
           "row needs, so check reads no further either";
  }
  if (d.code == FindingCode{ErrorCode::kBeyondRoute}) {
    return "compile reads no further row of the " + std::string(file_name_of(d.source)) +
           " after this one; check read on to the end of both files";
  }
  if (d.source == Source::kLineFile) {
    return "compile stops reading the line file here and does not read the train file; check "
           "read on to the end of both files";
  }
  return "compile stops reading the train file here; check read on to its end";
}

bool blank(std::string& text, size_t begin, size_t end) {
  bool changed = false;
  for (size_t i = begin; i < end && i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') continue;
    changed |= text[i] != ' ';
    text[i] = ' ';
  }
  return changed;
}

bool is_stopped(const RowRecord& row) {
  return row.ending != RowEnd::kRead;
}

// The row that recorded the error at `at`: the last row left early whose
// keyword comes before it. Rows are recorded in the order they are read.
const RowRecord* stopping_record(const std::vector<RowRecord>& records, SourceLocation at) {
  const auto after =
      std::partition_point(records.begin(), records.end(), [&](const RowRecord& row) {
        return std::pair(row.keyword.at.line, row.keyword.at.column) <=
               std::pair(at.line, at.column);
      });
  const auto stopped = std::find_if(std::make_reverse_iterator(after), records.rend(), is_stopped);
  return stopped == records.rend() ? nullptr : &*stopped;
}

// The field of `records` that begins at `at`, if one does: in the last row
// whose keyword comes before it, or in a row of that keyword field.
const RecordedField* field_at(const std::vector<RowRecord>& records, SourceLocation at) {
  const auto after =
      std::partition_point(records.begin(), records.end(),
                           [&](const RowRecord& row) { return row.first_field().at <= at; });
  if (after == records.begin()) return nullptr;
  const size_t keyword = std::prev(after)->keyword.begin;
  for (auto row = std::make_reverse_iterator(after);
       row != records.rend() && row->keyword.begin == keyword; ++row) {
    if (row->keyword.at == at) return &row->keyword;
    for (const std::vector<RecordedField>* fields : {&row->skipped, &row->values}) {
      const auto found = std::find_if(fields->begin(), fields->end(),
                                      [at](const RecordedField& field) { return field.at == at; });
      if (found != fields->end()) return &*found;
    }
  }
  return nullptr;
}

// A text being blanked row by row, and where its lines start; blanks keep
// every line end in place.
struct BlankedText {
  std::string& text;
  const SourceLines& lines;
};

// Blanks the row that stopped the compile of a file: its fields as read, and
// the rest of the line where it stopped. The values it had still to give are
// the next rows when the row was written short, and its own last values when
// one of them was written wrong; the rows after that line are read afresh.
// A fault outside any row blanks the line it stands on.
bool blank_stopping_row(BlankedText file, const std::vector<RowRecord>& records,
                        SourceLocation at) {
  const size_t line_end = line_end_from(file.text, file.lines.start(at.line));
  const RowRecord* row = stopping_record(records, at);
  if (!row) return blank(file.text, file.lines.start(at.line), line_end);
  return blank(file.text, row->begin(), std::max(row->end(), line_end));
}

Finding fatal_finding(int32_t fatal_error) {
  Finding fatal;
  fatal.severity = Severity::kError;
  fatal.code = static_cast<ErrorCode>(fatal_error);
  const ErrorInfo* info = find_error(fatal_error);
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
  void add(const Finding& d, Finding finding, bool compile_stops, bool built_cells) {
    const auto key = std::tuple(d.source, d.location.line, d.location.column, d.error_number());
    if (!seen_.insert(key).second) return;
    if (compile_stops) {
      finding.notes.insert(finding.notes.begin(),
                           {compile_stops_note(d, built_cells), d.source, d.location});
    }
    findings_.push_back(std::move(finding));
  }
  std::vector<Finding> take() { return std::move(findings_); }
  size_t size() const { return findings_.size(); }

 private:
  std::set<std::tuple<Source, int, int, int32_t>> seen_;
  std::vector<Finding> findings_;
};

bool is_taken_cell_error(int32_t number) {
  switch (static_cast<ErrorCode>(number)) {
    case ErrorCode::kTextBoardCellTaken:
    case ErrorCode::kSpeedBoardCellTaken:
    case ErrorCode::kSignalCellTaken:
    case ErrorCode::kAbbattimentoCellTaken:
    case ErrorCode::kWarningCellTaken:
    case ErrorCode::kStartCellTaken:
    case ErrorCode::kEndCellTaken:
    case ErrorCode::kCountdownCellTaken:
      return true;
    default:
      return false;
  }
}

Source source_of(TextFile file) {
  return file == TextFile::kLine ? Source::kLineFile : Source::kTrainFile;
}

// A row and the object it placed in a cell.
struct Holder {
  const RowRecord* row = nullptr;
  PlacedObject object;
};

Note holder_note(const Holder& holder) {
  const int64_t position = holder.row->values.empty() ? 0 : holder.row->values.front().number;
  return {"the " + std::string(cell_object_name(holder.object.type_code)->of_row) +
              " of this row, at " + std::to_string(position) + " m, already holds cell " +
              std::to_string(holder.object.cell),
          source_of(holder.row->file), holder.row->keyword.at};
}

// The objects the rows of one compile placed in cells, cell by cell in the
// order the compile read them: the line file's rows, then the train file's.
class ObjectsByCell {
 public:
  explicit ObjectsByCell(const RowRecords& records) : line_rows_(records.line.size()) {
    size_t order = 0;
    for (const std::vector<RowRecord>* file : {&records.line, &records.train}) {
      for (const RowRecord& row : *file) {
        for (const PlacedObject& object : row.objects) {
          if (cell_object_name(object.type_code))
            by_cell_[object.cell].push_back({order, {&row, object}});
        }
        ++order;
      }
    }
  }

  std::optional<Holder> first(int64_t cell) const {
    const auto found = by_cell_.find(cell);
    if (found == by_cell_.end()) return std::nullopt;
    return found->second.front().holder;
  }

  // The last row read before row `index` of `file` that placed an object in
  // `cell`.
  std::optional<Holder> last_before(int64_t cell, Source file, size_t index) const {
    const auto found = by_cell_.find(cell);
    if (found == by_cell_.end()) return std::nullopt;
    const size_t limit = (file == Source::kLineFile ? 0 : line_rows_) + index;
    const auto after =
        std::partition_point(found->second.begin(), found->second.end(),
                             [&](const Placed& placed) { return placed.order < limit; });
    if (after == found->second.begin()) return std::nullopt;
    return std::prev(after)->holder;
  }

 private:
  struct Placed {
    size_t order;  // of its row among all rows read
    Holder holder;
  };
  size_t line_rows_;
  std::unordered_map<int64_t, std::vector<Placed>> by_cell_;
};

void explain_slot(Finding& fatal, const ObjectsByCell& holders) {
  fatal.message =
      "cell 1 already holds a value in the slot that the " +
      std::string(fatal.code == FindingCode{ErrorCode::kFormatMarkerSlotTaken} ? "format marker"
                                                                               : "check code") +
      " takes, so the run ends without writing any binary file; no object may "
      "stand in cell 1, metres 50 to 99";
  if (const auto holder = holders.first(kMarkerCell)) {
    fatal.message += ": write the row that put one there further along the route";
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

void span_the_fields(std::vector<Finding>& errors, const RowRecords& records) {
  for (Finding& error : errors) {
    if (error.source == Source::kRoute || !error.location.known() || error.end.known()) continue;
    const RecordedField* field =
        field_at(error.source == Source::kLineFile ? records.line : records.train, error.location);
    if (field) error.end = span_of(*field).end;
  }
}

void name_the_rows_that_hold_cells(std::vector<Finding>& errors, const RowRecords& records) {
  std::optional<ObjectsByCell> holders;
  const auto indexed = [&]() -> const ObjectsByCell& {
    if (!holders) holders.emplace(records);
    return *holders;
  };
  for (Finding& error : errors) {
    if (is_slot_error(error.error_number())) {
      explain_slot(error, indexed());
      continue;
    }
    if (!is_taken_cell_error(error.error_number()) || !error.location.known()) continue;
    const std::vector<RowRecord>& file =
        error.source == Source::kLineFile ? records.line : records.train;
    const RowRecord* stopped = stopping_record(file, error.location);
    if (!stopped || !stopped->final_cell) continue;
    const auto index = static_cast<size_t>(stopped - file.data());
    if (const auto holder = indexed().last_before(*stopped->final_cell, error.source, index)) {
      error.notes.push_back(holder_note(*holder));
    }
  }
}

CompileTexts compile_as_compile_does(std::string line_name, std::string train_number,
                                     ProfileChoice profile, RowErrors row_errors, StopFlag stop) {
  return [line_name = std::move(line_name), train_number = std::move(train_number), profile,
          row_errors, stop](const std::string& line_text, const std::string& train_text) {
    CompileErrors errors;
    // The lint hands each row on to the records only while the compile runs.
    errors.lint = std::make_unique<RecordLint>(&errors.records);
    const RunOutcome run = memorizza_percorso({line_text, train_text}, line_name, train_number,
                                              profile, row_errors, errors.lint.get(), stop);
    errors.diagnostics = run.errors.diagnostics();
    errors.fatal_error = run.fatal_error;
    errors.built_cells = run.model.has_cells();
    return errors;
  };
}

CompileTexts compile_named_after(const std::filesystem::path& line_file,
                                 const std::filesystem::path& train_file,
                                 const std::optional<std::string>& line_name,
                                 const std::optional<std::string>& train_number,
                                 ProfileChoice profile, StopFlag stop) {
  const std::string line_utf8 = line_name.value_or(line_name_of(line_file));
  return compile_as_compile_does(
      utf8_to_1252(line_utf8).value_or(""),
      utf8_to_1252(train_number.value_or(train_number_of(train_file, line_utf8))).value_or(""),
      profile, RowErrors::kReadOn, stop);
}

namespace {

bool is_after(SourceLocation a, SourceLocation b) {
  return std::tie(a.line, a.column) > std::tie(b.line, b.column);
}

// The last field a run read of each file; line 0 when it read none.
struct ReadUpTo {
  SourceLocation line, train;
};

// The warnings of a later run about rows that the run before it never read.
void add_warnings_past(std::vector<Finding>& warnings, const CompileErrors& run,
                       const std::string& line_text, const std::string& train_text,
                       const SourceEncodings& encodings, const ReadUpTo& before) {
  for (Finding& warning : run.lint->finish(line_text, train_text, encodings)) {
    if (warning.source == Source::kRoute) continue;
    const SourceLocation read = warning.source == Source::kLineFile ? before.line : before.train;
    if (is_after(warning.location, read)) warnings.push_back(std::move(warning));
  }
}

}  // namespace

std::vector<Finding> find_errors(std::string line_text, std::string train_text,
                                 const CompileTexts& compile, CompileErrors first,
                                 size_t error_limit, LaterWarnings later) {
  ErrorMerge merge;
  const SourceLines line_lines(line_text), train_lines(train_text);
  CompileErrors run = std::move(first);
  for (bool first_run = true;; first_run = false) {
    const std::vector<Finding> stops = stopping_errors(run);
    const std::vector<const Finding*> compile_stops =
        first_run ? where_compile_stops(stops) : std::vector<const Finding*>{};
    std::vector<Finding> errors = stops;
    span_the_fields(errors, run.records);
    name_the_rows_that_hold_cells(errors, run.records);
    bool blanked = false;
    for (size_t i = 0; i < stops.size(); ++i) {
      const Finding& d = stops[i];
      merge.add(d, std::move(errors[i]),
                std::find(compile_stops.begin(), compile_stops.end(), &d) != compile_stops.end(),
                run.built_cells);
      const bool in_line_file = d.source == Source::kLineFile;
      blanked |= blank_stopping_row(
          in_line_file ? BlankedText{line_text, line_lines} : BlankedText{train_text, train_lines},
          in_line_file ? run.records.line : run.records.train, d.location);
    }
    // Without cells every later row would fail for want of them.
    if (stops.empty() || !blanked || !run.built_cells) break;
    // One error past the limit tells that there were more.
    if (error_limit != 0 && merge.size() > error_limit) break;
    const ReadUpTo before{run.records.line_read_up_to, run.records.train_read_up_to};
    run = compile(line_text, train_text);
    if (later.warnings) {
      add_warnings_past(*later.warnings, run, line_text, train_text, later.encodings, before);
    }
  }
  std::vector<Finding> findings = merge.take();
  std::vector<Finding> route;
  std::remove_copy_if(run.diagnostics.begin(), run.diagnostics.end(), std::back_inserter(route),
                      stops_its_file);
  if (is_slot_error(run.fatal_error)) route.push_back(fatal_finding(run.fatal_error));
  span_the_fields(route, run.records);
  name_the_rows_that_hold_cells(route, run.records);
  findings.insert(findings.end(), route.begin(), route.end());
  return findings;
}

std::vector<Finding> errors_naming_holders(const std::vector<Finding>& diagnostics,
                                           int32_t fatal_error, const RowRecords& records) {
  std::vector<Finding> errors = diagnostics;
  if (is_slot_error(fatal_error)) errors.push_back(fatal_finding(fatal_error));
  span_the_fields(errors, records);
  name_the_rows_that_hold_cells(errors, records);
  return errors;
}

// An error at the very field says more than a warning there.
// Looked up, not scanned: a route-length typo makes an error of every row.
void drop_warnings_at_errors(std::vector<Finding>& warnings, const std::vector<Finding>& errors) {
  std::vector<std::pair<Source, SourceLocation>> at_errors;
  at_errors.reserve(errors.size());
  for (const Finding& e : errors) at_errors.emplace_back(e.source, e.location);
  std::sort(at_errors.begin(), at_errors.end());
  std::erase_if(warnings, [&](const Finding& w) {
    return w.location.known() &&
           std::binary_search(at_errors.begin(), at_errors.end(), std::pair(w.source, w.location));
  });
}

void apply_warning_options(std::vector<Finding>& findings, const CheckOptions& options) {
  std::erase_if(findings, [&](const Finding& f) {
    const Warning* warning = f.warning();
    return warning && options.disabled_warnings.contains(*warning);
  });
  if (!options.warnings_as_errors) return;
  for (Finding& f : findings) {
    if (f.severity == Severity::kWarning) f.severity = Severity::kError;
  }
}

std::vector<Finding> check_sources(const std::string& line_text, const std::string& train_text,
                                   const CheckOptions& options, const CompileTexts& compile) {
  CompileErrors first = compile(line_text, train_text);
  std::vector<Finding> findings = first.lint->finish(line_text, train_text, options.encodings);
  std::vector<Finding> errors = find_errors(line_text, train_text, compile, std::move(first),
                                            options.error_limit, {&findings, options.encodings});
  apply_warning_options(findings, options);
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
