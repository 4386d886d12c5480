#pragma once

#include <optional>
#include <string_view>

#include "textio/field_reader.h"

namespace sc {

struct RowKeyword {
  std::string_view text;  // a view of the text read
  SourceLocation where;
};

// The next row's keyword field. A field holding "-" stands for the field after
// it, twice in a row at most. Nothing when the file ends: the last field of a
// file is never taken as a row.
std::optional<RowKeyword> read_row_keyword(FieldReader& reader);

}  // namespace sc
