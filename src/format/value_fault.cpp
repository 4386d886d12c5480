#include "format/value_fault.h"

#include <optional>
#include <vector>

namespace sc {
namespace {

std::string row_form(const RowKindInfo& kind) {
  std::string form(kind.keyword);
  for (const ValueSpec& value : kind.values) form += ", " + std::string(value.name);
  return form;
}

// "value 14 (hours) of the station row", and "of line 4" when the field stands
// on another line than the row's keyword.
std::string which_value(const RowKindInfo& kind, int value_index, bool other_line, int row_line) {
  const std::string_view name = kind.values[static_cast<size_t>(value_index)].name;
  std::string which = "value " + std::to_string(value_index + 1);
  if (!name.starts_with("value ")) which += " (" + std::string(name) + ")";
  which += " of the " + std::string(kind.what) + " row";
  if (other_line) which += " of line " + std::to_string(row_line);
  return which;
}

// The hours, minutes and seconds of a time written "6:27" or "6.27.30".
std::optional<std::vector<std::string>> clock_parts(const std::string& field) {
  std::vector<std::string> parts(1);
  for (const char c : field) {
    if (c == ':' || c == '.') {
      parts.emplace_back();
    } else if (c >= '0' && c <= '9') {
      parts.back() += c;
    } else {
      return std::nullopt;
    }
  }
  for (const std::string& part : parts) {
    if (part.empty()) return std::nullopt;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  if (parts.size() == 2) parts.emplace_back("0");
  return parts;
}

// A time written with a colon or a point where the row takes three numbers.
std::string time_hint(std::string_view value_name, const FieldFault& fault) {
  if (value_name != "hours" || fault.problem() != FieldFault::Problem::kNotANumber) return "";
  const std::optional<std::vector<std::string>> parts = clock_parts(fault.field());
  if (!parts) return "";
  return "; a time is three numbers, hours, minutes and seconds: write " + (*parts)[0] + ", " +
         (*parts)[1] + ", " + (*parts)[2];
}

std::string range(const FieldFault& fault) {
  return std::to_string(fault.min()) + " to " + std::to_string(fault.max());
}

}  // namespace

std::string value_fault_message(const RowKindInfo& kind, int value_index, const FieldFault& fault,
                                int row_line) {
  if (value_index < 0 || static_cast<size_t>(value_index) >= kind.values.size()) {
    return fault.what();
  }
  const bool other_line = fault.where().line != row_line;
  const std::string which = which_value(kind, value_index, other_line, row_line);
  std::string message;
  switch (fault.problem()) {
    case FieldFault::Problem::kFileEnds:
      message = "the file ends where " + which + " is expected";
      break;
    case FieldFault::Problem::kNotANumber:
      message = "\"" + fault.field() + "\" is not a whole number, but it is read as " + which +
                ", which takes digits only, with an optional sign, from " + range(fault);
      break;
    case FieldFault::Problem::kOutOfRange:
      message = fault.field() + " is read as " + which + ", which takes a whole number from " +
                range(fault);
      break;
  }
  if (other_line && fault.problem() != FieldFault::Problem::kFileEnds) {
    message +=
        "; that row has too few values on its own line, so this field of a later line is "
        "read in their place";
  }
  message += time_hint(kind.values[static_cast<size_t>(value_index)].name, fault);
  return message + "; the row is written: " + row_form(kind);
}

}  // namespace sc
