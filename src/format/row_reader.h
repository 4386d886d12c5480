#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "format/row_kinds.h"
#include "format/row_recorder.h"
#include "model/error_log.h"
#include "model/flow.h"
#include "model/model.h"
#include "textio/field_reader.h"
#include "textio/stop_flag.h"

namespace sc {

// The values of one row of a kind, read from the text one after the other as
// the row's handler asks for them, each by the width the row-kind table gives
// it. Asking for a value reads every value before it that is not read yet, so
// a handler that stops early leaves the rest of the row unread. The reader
// keeps one and opens it for each row.
class RowValues {
 public:
  explicit RowValues(FieldReader& fields) : fields_(fields) {}

  void open(const RowKindInfo& kind, std::string_view keyword, SourceLocation keyword_at) {
    kind_ = &kind;
    keyword_ = keyword;
    keyword_at_ = keyword_at;
    read_ = 0;
  }

  const RowKindInfo& kind() const { return *kind_; }
  std::string_view keyword() const { return keyword_; }
  SourceLocation keyword_at() const { return keyword_at_; }

  // Value `i` of a number width (counted from 0), and where it stands.
  int32_t number(size_t i) {
    read_through(i);
    return values_[i].number;
  }
  int32_t number(size_t i, SourceLocation& at) {
    read_through(i);
    at = values_[i].at;
    return values_[i].number;
  }
  // Value `i` of the text width, as a view of the text read.
  std::string_view text(size_t i) {
    read_through(i);
    return values_[i].text;
  }
  // Where value `i`, already read, stands.
  SourceLocation at(size_t i) const { return values_[i].at; }

  // Reads every value not read yet.
  void read_all() {
    if (!kind_->values.empty()) read_through(kind_->values.size() - 1);
  }
  size_t values_read() const { return read_; }
  // Passes over what is left of the line the reading stands in: a reader that
  // goes on past a row it cannot read.
  void skip_rest_of_line() { fields_.skip_rest_of_line(); }

 private:
  struct Value {
    int32_t number = 0;
    std::string_view text;
    SourceLocation at;
  };

  void read_through(size_t i) {
    while (read_ <= i) read_next();
  }
  void read_next();

  FieldReader& fields_;
  const RowKindInfo* kind_ = nullptr;
  std::string_view keyword_;
  SourceLocation keyword_at_;
  size_t read_ = 0;
  std::array<Value, kMostRowValues> values_;
};

// What a row means: the compiler's side of the reader.
class RowHandler {
 public:
  // Whether rows of `kind` are read; a keyword naming only kinds that are not
  // reads as one naming none.
  virtual bool reads(RowKind /*kind*/) const { return true; }
  // Reads and stores one row of `values.kind()`.
  virtual Flow row(RowValues& values) = 0;
  // The profile point the handler has reached, for the records.
  virtual int32_t profile_point() const { return 0; }

 protected:
  ~RowHandler() = default;
};

// Reads the rows of one text file: finds the general section, reads each
// row's keyword (passing over fields that hold a hyphen), runs every kind of
// the part that the keyword names in the table's order, and tells the
// recorder, when someone listens, of each row.
class RowReader {
 public:
  // `stop` is looked at before each row.
  RowReader(std::string_view text, TextFile file, ErrorLog& errors, Scenario& model,
            RowListener* listener, const StopFlag& stop = {});
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  // Passes over the fields up to and including the first one naming the
  // general section. False when the file ends first: a section field that is
  // the file's last field is not found. The rows are recorded from here on.
  bool find_general_section();
  // The field find_general_section found.
  const ReadField& general_section() const { return general_; }
  // The file's last field, which is never read as a row (most often the
  // closing section line), once read_rows has reached it.
  const std::optional<ReadField>& last_field() const { return last_; }
  // The line file's header, up to its first section line.
  Flow read_header(RowHandler& handler);
  // The rows up to the file's end: kEndStep, or the flow of the row that
  // stopped them.
  Flow read_rows(RowHandler& handler);

  // A fault ends the rows inside the row being read: the record of that row
  // is closed and the fault thrown on, at the field being read when it knows
  // no place of its own.
  [[noreturn]] void throw_from_row(const Fault& fault);

 private:
  struct RowKeyword {
    std::string_view text;
    SourceLocation where;
  };
  std::optional<RowKeyword> read_row_keyword();
  // The text field just read, with its span.
  ReadField field_read(std::string_view field) const;
  Flow read_row(RowHandler& handler, RowPart part, std::string_view keyword, SourceLocation at);
  Flow read_row_past_a_fault(RowHandler& handler, const RowKeyword& keyword);
  bool reads_past_faults() const { return errors_.reads_past_stopping_rows() && recorder_; }
  Flow read_kind(RowHandler& handler, RowPart part, const RowKindInfo& kind,
                 std::string_view keyword, SourceLocation at);

  std::string_view text_;
  FieldReader fields_;
  TextFile file_;
  ErrorLog& errors_;
  const StopFlag stop_;
  KeywordMatcher keywords_;
  ReadField general_;
  std::optional<ReadField> last_;
  RowValues values_{fields_};
  std::optional<RowRecorder> recorder_;
};

}  // namespace sc
