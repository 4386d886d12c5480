#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// One row: a keyword, its whole-number values and, for the rows that end with
// one, a text field.
struct Row {
  std::string keyword;
  std::vector<int64_t> values;
  std::optional<std::string> text;
};

// A text file being written: one row per line, a keyword and its values
// separated by ", ", CR LF after every line.
class TextRows {
 public:
  void line(std::string_view text);
  // The text field, when there is one, is quoted where the field reader would
  // otherwise read it differently (see text_field).
  void row(const Row& row);
  // A section line, written only when it differs from the one before.
  void section(std::string_view name);
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
  std::string current_section_;
};

// How a text field reads back as `text`: as it is, or quoted; nullopt when no
// field reads back as it (a text that opens with a double quote, or one that
// would need quoting but holds a double quote).
std::optional<std::string> text_field(std::string_view text);

}  // namespace sc
