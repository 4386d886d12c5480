#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/finding.h"
#include "textio/field_reader.h"

namespace sc {

// The lint reads a file line by line, one row to a line, with the same field
// reader and keyword tests as the compile. Where the compile would read a
// row's values on from the next line, the lint warns and goes on with the
// next line as a row of its own.

enum class ValueKind { kLong, kInteger, kByte, kText };

struct LintValueSpec {
  std::string_view name;
  ValueKind kind = ValueKind::kLong;
};

struct LintValue {
  int64_t number = 0;
  std::string text;
  SourceLocation at;
};

// The values of one row kind as read from its line.
struct LintRow {
  std::string keyword;
  SourceLocation keyword_at;
  std::vector<LintValue> values;
  int64_t operator[](size_t i) const { return values[i].number; }
  SourceLocation at(size_t i) const { return values[i].at; }
};

// A cell that an object of a row takes, so that a later row that finds the
// cell taken can be told which row holds it.
struct Placement {
  int64_t cell = 0;
  std::string_view what;  // "text board", "slowdown's warning"
  std::string_view part;  // which of a row's cells: "", "warning", "start", "end", "countdown"
  int64_t position = 0;   // the row's position, metres
  Source source = Source::kRoute;
  SourceLocation row;  // the row's keyword
};

// Where the warnings of one file go, and what the line file told about the
// route.
class LintContext {
 public:
  LintContext(Source source, std::vector<Finding>& out) : source_(source), out_(out) {}
  void warn(Warning code, SourceLocation at, std::string message);
  Source source() const { return source_; }
  // Records that the row at `row` puts an object into `cell`.
  void occupy(int64_t cell, std::string_view what, std::string_view part, int64_t position,
              SourceLocation row);

  // From the line file's header, for the rows of both files.
  std::optional<int64_t> route_length;
  // The time of the last station row, in seconds of the day.
  std::optional<int64_t> previous_station_time;
  // Where occupy records, when anyone asks.
  std::vector<Placement>* placements = nullptr;

 private:
  Source source_;
  std::vector<Finding>& out_;
};

struct LintRowKind {
  std::string_view what;  // "gradient", for messages
  bool (*matches)(std::string_view keyword) = nullptr;
  std::span<const LintValueSpec> values;
  void (*check)(LintContext&, const LintRow&) = nullptr;  // once every value is read
};

// The fields of one line, located as in the whole file.
class LineFields {
 public:
  LineFields(std::string_view line, int line_number) : reader_(line), line_number_(line_number) {}
  bool at_end() const { return reader_.at_end(); }
  // Throw Fault, as the compile's reads do, on a field it cannot read.
  std::string text() { return reader_.read_text(); }
  LintValue value(ValueKind kind);
  SourceLocation location() const;

 private:
  FieldReader reader_;
  int line_number_;
};

// Calls `visit(line, number)` for each line of `text`; line ends are CR LF, LF
// or CR.
void for_each_line(std::string_view text, const std::function<void(std::string_view, int)>& visit);

// The keyword field of a line once fields holding "-" (up to `hyphen_reads`)
// have been passed over; nullopt when the line holds nothing else, so that it
// hides the next line's keyword, which the compile then tests as usual.
std::optional<std::string> keyword_of(LineFields& fields, int hyphen_reads);

// Reads the values of every kind that `keyword` matches and runs their checks;
// warns about too few or too many values, and about a comment marker in front
// of the keyword. Returns false when no kind matches.
bool lint_row(LintContext& context, LineFields& fields, std::string_view keyword,
              SourceLocation keyword_at, std::span<const LintRowKind> kinds);

// Warns that `keyword` names no row kind, suggesting the nearest of
// `known_keywords`; a field that opens with a comment marker is taken as the
// comment it was meant to be.
void warn_unknown_keyword(LintContext& context, std::string_view keyword, SourceLocation at,
                          std::span<const std::string_view> known_keywords);

}  // namespace sc
