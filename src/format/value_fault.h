#pragma once

#include <string>

#include "format/row_kinds.h"
#include "textio/fault.h"
#include "textio/field_reader.h"

namespace sc {

// The message for a value of a `kind` row that could not be read: which value
// it is, by its name in the row kind's description, what the value takes, and
// how the row is written. `value_index` counts the row's values from 0;
// `row_line` is the line of the row's keyword.
std::string value_fault_message(const RowKindInfo& kind, int value_index, const FieldFault& fault,
                                int row_line);

// Runs `read_row`, which reads one row of `kind` from `reader`, and turns a
// value it cannot read into a fault whose message names that value.
template <typename ReadRow>
auto naming_the_value(const FieldReader& reader, RowKind kind, int row_line, ReadRow&& read_row) {
  const int first_field = reader.fields_read();
  try {
    return read_row();
  } catch (const FieldFault& fault) {
    throw Fault(
        value_fault_message(row_kind(kind), reader.fields_read() - first_field, fault, row_line),
        fault.where());
  }
}

}  // namespace sc
