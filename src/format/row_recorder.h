#pragma once

#include <optional>
#include <vector>

#include "format/row_record.h"
#include "model/model.h"
#include "textio/field_reader.h"

namespace sc {

// The compilers' side of the records: has the reader put every field it reads
// in the open row (or, between rows, with the fields passed over before the
// next keyword), hears every cell and entry the row reaches, and hands each
// finished row to the listener. A compiler calls it at each row kind's start
// and end.
class RowRecorder final : public AccessListener {
 public:
  RowRecorder(TextFile file, RowListener& listener, Scenario& model);
  ~RowRecorder();
  RowRecorder(const RowRecorder&) = delete;
  RowRecorder& operator=(const RowRecorder&) = delete;

  // From now on the fields of `reader` make rows.
  void listen_to(FieldReader& reader);

  // The last field read is the keyword of a row of `kind`; those before it
  // since the last row were passed over.
  void kind_begins(RowPart part, RowKind kind);
  // `error` is 0 when the compile reads on, else the error number it stopped on.
  void kind_ends(int32_t error, int32_t profile_from = 0, int32_t profile_to = 0);
  // The last field read is a keyword that names no kind of `part`.
  void no_kind(RowPart part);
  // A fault at `at` ends the compile inside the open row, if any.
  void fault(SourceLocation at);
  // Whether a row is open that has reached no cell and no table entry and is
  // the first row of its keyword field (the kind before it, of a field naming
  // two, may have changed the model): a row that has changed nothing.
  bool open_row_changed_nothing() const {
    return open_ && reached_.empty() && row_.entries.empty() && !second_of_keyword_;
  }

  void cell_reached(int64_t index, const Cell& cell) override;
  void entry_reached(int64_t index) override;

 private:
  void open(RowPart part, std::optional<RowKind> kind);
  void close(RowEnd ending, int32_t error);
  void add_objects();

  struct Reached {
    int64_t index;
    Cell before;
  };

  TextFile file_;
  RowListener& listener_;
  Scenario& model_;
  FieldReader* reader_ = nullptr;
  // The buffers below live as long as the recorder and are refilled row after
  // row, so that a compile that records allocates next to nothing per row.
  std::vector<RecordedField> lead_;  // fields read since the last row
  RowRecord row_;                    // the open row, or the last one closed
  bool open_ = false;
  bool second_of_keyword_ = false;  // the open row's keyword made the row before it
  std::vector<Reached> reached_;
};

// A fault ends a compile inside the row being read: the recorder, when one
// listens, closes that row, and the fault is thrown on, placed at the field
// being read when it knows no place of its own.
[[noreturn]] void throw_from_row(const Fault& fault, const FieldReader& reader, RowRecorder* rows);

}  // namespace sc
