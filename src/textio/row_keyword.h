#pragma once

#include <optional>
#include <string>

#include "textio/field_reader.h"

namespace sc {

// What a compile does after a row, and what a half of the compile call tells
// its caller.
enum class [[nodiscard]] Flow{
    kGoOn,     // the next row; after a half, the next half
    kEndStep,  // error 15: the rows end here, the end step still runs
    kStop,     // any other error: the half returns at once, without its end step
};

struct RowKeyword {
  std::string text;
  SourceLocation where;
};

// The next row's keyword field. A field holding "-" stands for the field after
// it, twice in a row at most. Nothing when the file ends: the last field of a
// file is never taken as a row.
std::optional<RowKeyword> read_row_keyword(FieldReader& reader);

}  // namespace sc
