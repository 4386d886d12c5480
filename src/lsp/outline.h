#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "format/row_kinds.h"
#include "lsp/text_positions.h"

namespace sc::lsp {

// A field of one line: its bytes [begin, end) in the line, blanks around it
// left out, quotes kept.
struct LineField {
  size_t begin = 0;
  size_t end = 0;
  std::string_view text;
};

// Where a line stands in its file.
enum class LinePlace { kBeforeGeneral, kHeader, kRows };

// One row as the editor sees it: a keyword and the values written on its line.
struct OutlineRow {
  int line = 0;  // 0-based
  LineField keyword;
  std::vector<const RowKindInfo*> kinds;  // the kinds its keyword runs
  std::vector<LineField> values;          // read as the first kind's values
};

struct OutlineSection {
  int line = 0;
  std::string_view name;
};

// The sections and rows of a document, read line by line as the lint reads
// it: one row to a line.
struct Outline {
  std::vector<LinePlace> places;  // of each line
  std::vector<OutlineSection> sections;
  std::vector<OutlineRow> rows;
  const OutlineRow* row_at(int line) const;
};

Outline outline_of(const LineIndex& lines, TextFile file);

// The fields of a line in order, numbers ending at a blank as the reader ends
// them when `numbers` says the field is one.
class FieldCursor {
 public:
  explicit FieldCursor(std::string_view line) : line_(line) {}
  bool at_end() const;
  LineField text();
  LineField number();

 private:
  void skip_blanks();
  LineField field(size_t begin, size_t end) const;
  std::string_view line_;
  size_t pos_ = 0;
};

}  // namespace sc::lsp
