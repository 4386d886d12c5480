#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace sc {

// Keyword, then values separated by commas; CR LF after every line.
class RowsText {
 public:
  void line(std::string_view text) {
    bytes_ += text;
    bytes_ += "\r\n";
  }
  template <typename... Values>
  void row(std::string_view keyword, const Values&... values) {
    bytes_ += keyword;
    ((bytes_ += ", ", append(values)), ...);
    bytes_ += "\r\n";
  }
  std::string take() { return std::move(bytes_); }

 private:
  void append(int32_t value) { bytes_ += std::to_string(value); }
  void append(std::string_view text) { bytes_ += text; }

  std::string bytes_;
};

}  // namespace sc
