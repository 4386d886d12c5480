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

// Where the warnings of one file go, and what the line file told about the
// route.
class LintContext {
 public:
  LintContext(Source source, std::vector<Finding>& out) : source_(source), out_(out) {}
  void warn(Warning code, SourceLocation at, std::string message);
  Source source() const { return source_; }

  // From the line file's header, for the rows of both files.
  std::optional<int64_t> route_length;
  // The time of the last station row, in seconds of the day.
  std::optional<int64_t> previous_station_time;

 private:
  Source source_;
  std::vector<Finding>& out_;
};

// The values of one row as the compile read them.
struct LintRow {
  const RowRecord& record;
  int64_t operator[](size_t i) const { return record.values[i].number; }
  SourceLocation at(size_t i) const { return record.values[i].at; }
};

// The warnings of both files: checks over the rows as the compile reads
// them, told one by one, so that no more than a keyword field's rows are kept.
// Each record is then handed on, in order, to `next`, when given.
class RecordLint final : public RowListener {
 public:
  explicit RecordLint(RowListener* next = nullptr);
  ~RecordLint();
  void row_read(const RowRecord& record) override;
  // The warnings, once the compile is over, with those of the texts' code
  // page (`encodings`: how each file was read).
  std::vector<Finding> finish(std::string_view line_text, std::string_view train_text,
                              const SourceEncodings& encodings);

 private:
  class FileLint;
  std::vector<Finding> findings_;
  LintContext line_context_;
  LintContext train_context_;
  std::unique_ptr<FileLint> line_;
  std::unique_ptr<FileLint> train_;
};

// The same for records kept whole.
std::vector<Finding> lint_records(const RowRecords& records, std::string_view line_text,
                                  std::string_view train_text, const SourceEncodings& encodings);

}  // namespace sc
