#pragma once

#include <concepts>
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

// How a text field reads back as `text`: as it is, or quoted; nullopt when no
// field reads back as it (a text that opens with a double quote, or one that
// would need quoting but holds a double quote).
std::optional<std::string> text_field(std::string_view text);

// A text file being written: one row per line, a keyword and its values
// separated by ", ", CR LF after every line. A text value is quoted where the
// field reader would otherwise read it differently (see text_field).
class TextRows {
 public:
  void line(std::string_view text);
  void row(const Row& row);
  // A row of whole numbers and texts, in the order given.
  template <typename... Values>
  void row(std::string_view keyword, const Values&... values) {
    bytes_ += keyword;
    ((bytes_ += ", ", append(values)), ...);
    bytes_ += "\r\n";
  }
  // A section line, written only when it differs from the one before.
  void section(std::string_view name);
  std::string take() { return std::move(bytes_); }

 private:
  void append(std::integral auto value) { bytes_ += std::to_string(value); }
  void append(std::string_view text);

  std::string bytes_;
  std::string current_section_;
};

}  // namespace sc
