#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/fault.h"

namespace sc {

// Reads a text held in memory as a stream of comma-separated fields.
//
// Blanks (space, tab) and line ends (CR LF, LF, CR) before a field are
// skipped. A text field runs to the next comma or line end (both consumed), or,
// when it opens with a double quote, to the closing quote, after which the rest
// up to and including the next comma or line end is skipped. A number field
// runs to the next blank, comma or line end; the blanks after it and one comma
// are consumed. Every failure throws Fault with the field's location.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text);

  // True once nothing but blanks and line ends remains.
  bool at_end() const;

  std::string read_text();
  uint8_t read_byte();
  int16_t read_integer();
  int32_t read_long();
  // read_long, also giving where the field stands.
  int32_t read_long(SourceLocation& where) {
    const int32_t value = read_long();
    where = field_location_;
    return value;
  }

  // Where the field most recently read (or being read) begins.
  SourceLocation field_location() const { return field_location_; }

 private:
  int64_t read_number(int64_t min, int64_t max, const char* kind);
  void start_field();
  bool at_line_end() const;
  void skip_line_end();
  void skip_blanks();
  char peek() const { return text_[pos_]; }
  bool done() const { return pos_ >= text_.size(); }
  SourceLocation here() const;

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  SourceLocation field_location_;
};

}  // namespace sc
