#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/row_kinds.h"
#include "model/model.h"
#include "textio/fault.h"
#include "textio/field_reader.h"

namespace sc {

// A field of a row as the compiler read it.
using RecordedField = ReadField;

// A cell that the row gave an object: its type code changed, or the object
// in it was replaced.
struct PlacedObject {
  int64_t cell = 0;
  uint8_t type_code = 0;
};

enum class RowEnd {
  kRead,     // the compile read on after the row
  kStopped,  // the row recorded an error that ends the file's rows
  kFault,    // a run-time fault (error 25) ended the compile in the row
};

// One row kind that a keyword field named, as the compiler read it, or a
// keyword field that named no kind of its part. A field naming two kinds
// gives two records, one after the other, with the same keyword.
struct RowRecord {
  TextFile file = TextFile::kLine;
  RowPart part = RowPart::kRows;
  std::optional<RowKind> kind;
  std::vector<RecordedField> skipped;  // fields holding "-" passed over before the keyword
  RecordedField keyword;
  std::vector<RecordedField> values;  // in the order read; fewer when the row ended early
  // What the row wrote.
  std::vector<PlacedObject> objects;
  std::optional<int64_t> first_cell, last_cell;  // the cells it reached
  std::optional<int64_t> final_cell;             // the last cell it reached
  std::vector<int64_t> entries;                  // the table entries it reached
  int32_t profile_from = 0, profile_to = 0;      // the profile points it computed
  RowEnd ending = RowEnd::kRead;
  int32_t error = 0;        // the error number a stopped row left
  SourceLocation fault_at;  // where a fault struck

  const RecordedField& first_field() const { return skipped.empty() ? keyword : skipped.front(); }
  const RecordedField& last_field() const { return values.empty() ? keyword : values.back(); }

  // The bytes the row spans, from its first field to the last one read.
  size_t begin() const { return skipped.empty() ? keyword.begin : skipped.front().begin; }
  size_t end() const { return values.empty() ? keyword.end : values.back().end; }
};

// Told of each row a compiler has read, in the order read. The record is the
// recorder's own and is reused for the next row: a listener that keeps it
// copies it. Its field texts are views of the text compiled, which a kept
// record must not outlive.
class RowListener {
 public:
  virtual void row_read(const RowRecord& record) = 0;

 protected:
  ~RowListener() = default;
};

// Which rows a RowRecords keeps.
enum class KeptRows {
  kAll,
  // Those that placed an object other than a tunnel marker or stopped the
  // compile: what notes about taken cells and check's recovery need.
  kObjectsAndStops,
  // Those, every row of the line file's header and the last row read of each
  // file: every row whose fields an error may stand at.
  kErrorPlaces,
};

// The records of both files, or of those rows that `kept` names. The records
// keep their field texts, so they may outlive the text compiled; moving them
// keeps those texts in place, and they are not copied.
struct RowRecords final : RowListener {
  explicit RowRecords(KeptRows kept = KeptRows::kAll) : kept(kept) {}
  RowRecords(const RowRecords&) = delete;
  RowRecords& operator=(const RowRecords&) = delete;
  RowRecords(RowRecords&&) = default;
  RowRecords& operator=(RowRecords&&) = default;
  ~RowRecords() = default;

  std::vector<RowRecord> line;
  std::vector<RowRecord> train;
  KeptRows kept;
  // The last field read of each file, whether its row is kept or not; line 0
  // when none was read.
  SourceLocation line_read_up_to, train_read_up_to;
  void row_read(const RowRecord& record) override;

 private:
  bool keeps(const RowRecord& record) const;
  void keep_texts(RowRecord& row, std::deque<std::string>& texts);

  std::deque<std::string> texts_;  // a deque: its strings stay where they are as it grows
  // With kErrorPlaces, each file's last row when it is kept only for being
  // the last: the next row of its file takes its place, and its texts'.
  struct LastRow {
    bool only_as_last = false;
    std::deque<std::string> texts;
  };
  LastRow line_last_, train_last_;
};

}  // namespace sc
