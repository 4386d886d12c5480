#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/encoding.h"
#include "check/finding.h"
#include "format/row_record.h"

namespace sc {

// A value that rows set cell by cell in file order (gradient, speed limit,
// adhesion), as the compile's fill leaves it after each row.
struct FillOrder {
  std::optional<int64_t> previous_position;  // of the last row read
  SourceLocation previous_at;
  int64_t cursor = 0;  // the first cell not yet filled
};

// The curve row that laid the track furthest so far.
struct LaidTrack {
  SourceLocation at;
  int64_t start = 0;
};

// A speed board that marks where a limit starts (no stripes), and a speed
// limit row, for comparing the two files once both are read.
struct LimitBoard {
  int64_t position = 0;
  int64_t speeds[3] = {};  // vas, vbs, vcs
  SourceRange at;
};
struct LimitRow {
  int32_t position = 0;  // both read as Longs
  int32_t speed = 0;
  SourceLocation at;
};

// The row whose object stands in a cell, of either file.
struct CellHolder {
  Source source = Source::kLineFile;
  SourceRange at;  // its keyword
  uint8_t type_code = 0;
  std::string_view what;  // as "the ... of this row" names it
  int64_t position = 0;
};
// The holder of each cell so far, by the cell's index in the model (from 0
// to its last cell). A cell keeps only the place of its holder, so a cell
// that holds none costs four bytes.
class CellHolders {
 public:
  // The cell's holder, nullptr when none.
  CellHolder* find(int64_t cell) {
    const auto index = static_cast<size_t>(cell);
    if (index >= slot_by_cell_.size() || slot_by_cell_[index] == 0) return nullptr;
    return &holders_[slot_by_cell_[index] - 1];
  }
  void set(int64_t cell, const CellHolder& holder) {
    if (CellHolder* held = find(cell)) {
      *held = holder;
      return;
    }
    const auto index = static_cast<size_t>(cell);
    if (index >= slot_by_cell_.size()) slot_by_cell_.resize(index + 1);
    holders_.push_back(holder);
    slot_by_cell_[index] = static_cast<uint32_t>(holders_.size());
  }

 private:
  std::vector<uint32_t> slot_by_cell_;  // 1 + the holder's index, 0 for none
  std::vector<CellHolder> holders_;
};

// A station row's time, in seconds of the day, and its hour and minute
// values.
struct StationTime {
  int64_t seconds = 0;
  int64_t hours = 0, minutes = 0;
  SourceRange hours_at, minutes_at;
};

// Where the warnings of one file go, and what the line file told about the
// route.
class LintContext {
 public:
  LintContext(Source source, std::vector<Finding>& out) : source_(source), out_(&out) {}
  // A copy that warns into `out` and shares `holders`.
  LintContext(const LintContext& from, std::vector<Finding>& out, CellHolders* holders)
      : LintContext(from) {
    out_ = &out;
    this->holders = holders;
  }
  // The warning at the characters `at`, for adding notes and fix-its to it.
  Finding& warn(Warning code, SourceRange at, std::string message);
  // A warning that holds only while `cell` keeps the object the row put there:
  // dropped when a later row replaces it.
  void warn_while_cell_stands(int64_t cell, Warning code, SourceRange at, std::string message);
  // A later row's objects replace what stood in their cells: their pending
  // warnings are dropped, and an object that only a station's stop can
  // replace without an error is warned about.
  void objects_placed(const RowRecord& row);
  // The warnings still standing once every row is read.
  void finish();
  Source source() const { return source_; }
  // The warning given last, by its index, for fix-its that later rows show.
  size_t last_warning() const { return out_->size() - 1; }
  Finding& warning(size_t index) { return (*out_)[index]; }

  // From the line file's header, for the rows of both files.
  std::optional<int64_t> route_length;
  // The times of the last two station rows.
  std::optional<StationTime> previous_station, station_before_previous;
  FillOrder gradients, speeds, adhesions;
  std::optional<LaidTrack> laid_track;
  // The end of the last tunnel row, and where its end value stands.
  struct TunnelEnd {
    int64_t metres;
    SourceLocation at;
  };
  std::optional<TunnelEnd> previous_tunnel_end;
  std::vector<LimitBoard> limit_boards;  // of the line file
  std::vector<LimitRow> limit_rows;      // of the train file
  // Shared by both files' contexts, so that a train row sees the line's
  // objects.
  CellHolders* holders = nullptr;

 private:
  LintContext(const LintContext&) = default;
  void warn_replaced(const PlacedObject& object, const CellHolder& by, const CellHolder& lost);
  struct PendingWarning {
    int64_t cell;
    Finding finding;
  };
  Source source_;
  std::vector<Finding>* out_;
  std::vector<PendingWarning> pending_;
};

// Whether a text field was written in double quotes.
inline bool is_quoted(const RecordedField& field) {
  return field.end - field.begin > field.text.size();
}
// The characters of `part`, a piece of the text of `field`; the whole field
// when it runs over more than one line.
SourceRange span_of_part(const RecordedField& field, std::string_view part);
// The field without the blanks that end it.
SourceRange trimmed_span(const RecordedField& field);

// The values of one row as the compile read them.
struct LintRow {
  const RowRecord& record;
  int64_t operator[](size_t i) const { return record.values[i].number; }
  const RecordedField& field(size_t i) const { return record.values[i]; }
  SourceRange at(size_t i) const { return span_of(record.values[i]); }
};

// The warnings of both files: checks over the rows as the compile reads
// them, told one by one, so that no more than a keyword field's rows are kept.
// Each record is then handed on, in order, to `next`, when given.
class RecordLint final : public RowListener {
 public:
  explicit RecordLint(RowListener* next = nullptr);
  // The checks as far as `from` has gone: a line file's rows checked once
  // serve every train file read after it. The copy hands its records on to
  // the same `next`.
  RecordLint(const RecordLint& from);
  RecordLint& operator=(const RecordLint&) = delete;
  ~RecordLint();
  void row_read(const RowRecord& record) override;
  // The warnings, once the compile is over, with those of the texts' code
  // page (`encodings`: how each file was read).
  std::vector<Finding> finish(std::string_view line_text, std::string_view train_text,
                              const SourceEncodings& encodings);

 private:
  class FileLint;
  std::vector<Finding> findings_;
  CellHolders holders_;
  LintContext line_context_;
  LintContext train_context_;
  std::unique_ptr<FileLint> line_;
  std::unique_ptr<FileLint> train_;
  bool line_over_ = false;  // a train row has come
  bool line_faulted_ = false;
};

// The same for records kept whole.
std::vector<Finding> lint_records(const RowRecords& records, std::string_view line_text,
                                  std::string_view train_text, const SourceEncodings& encodings);

}  // namespace sc
