#pragma once

#include <cstddef>
#include <vector>

#include "format/row_kinds.h"
#include "format/row_outline.h"
#include "lsp/text_positions.h"

namespace sc::lsp {

// Where a line stands in its file.
enum class LinePlace { kBeforeGeneral, kHeader, kRows };

// One row as the reader reads it: its keyword, the kinds the keyword names and
// the values read as the first kind's.
struct OutlineRow {
  int line = 0;  // of the keyword, 0-based
  ReadField keyword;
  std::vector<const RowKindInfo*> kinds;
  std::vector<ReadField> values;
  const RowStop* stop = nullptr;  // where reading the row stopped, if it did
};

// The sections and rows of a document, from the format's reader.
struct Outline {
  TextFile file = TextFile::kLine;
  TextOutline read;
  std::vector<ReadField> sections;
  std::vector<OutlineRow> rows;  // those whose keyword names a kind
  int general_line = -1;         // 0-based; -1 when there is no general section
  int header_end_line = -1;      // the line file's first section line past the header

  LinePlace place(int line) const;
  // The row whose keyword stands on `line`.
  const OutlineRow* row_on_line(int line) const;
  // The row that may hold the byte at `offset`: the last one starting at or
  // before it.
  const OutlineRow* row_before(size_t offset) const;
  // The field read that begins at `offset`, of any row or section.
  const ReadField* field_at(size_t offset) const;
};

Outline outline_of(const LineIndex& lines, TextFile file);

}  // namespace sc::lsp
