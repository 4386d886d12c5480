#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/row_record.h"

namespace sc {

// A row whose values could not all be read: where the reading stopped and why.
struct RowStop {
  size_t row = 0;  // the index in TextOutline::rows of the row it stopped in
  SourceLocation at;
  std::string field;  // the field that could not be read, as written, when there is one
  std::string message;
};

// A text file as the reader reads it, for an editor: the general section
// field, then every row the compilers would read, each kind a keyword names
// with the values its kind takes and each field with its span. Keywords that
// name no kind (section lines among them) are rows without a kind. A row whose
// values cannot be read is kept with those read before; the reading goes on
// at the next line, so a document being typed keeps the outline of the rest.
// The fields are views of `text`, which the outline must not outlive.
struct TextOutline {
  std::optional<ReadField> general;  // nothing when the file has no general section
  std::vector<RowRecord> rows;
  std::vector<RowStop> stops;
  std::optional<ReadField> last;  // the file's last field, never a row
};

TextOutline read_outline(std::string_view text, TextFile file);

}  // namespace sc
