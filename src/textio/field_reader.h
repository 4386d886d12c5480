#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textio/fault.h"

namespace sc {

// A field as read: where it stands and what it gave.
struct ReadField {
  size_t begin = 0;  // offset of its first character (an opening quote included)
  size_t end = 0;    // offset after its last character (a closing quote included)
  SourceLocation at;
  int end_line = 0;       // the line of its last character
  int end_column = 0;     // the column after its last character, on end_line
  int64_t number = 0;     // a number field's value
  std::string_view text;  // a text field's value, in the text read
};

// The characters the field spans.
inline SourceRange span_of(const ReadField& field) {
  return {field.at, {field.end_line, field.end_column}};
}

// Reads a text held in memory as a stream of comma-separated fields.
//
// Blanks (space, tab) and line ends (CR LF, LF, CR) before a field are
// skipped. A text field runs to the next comma or line end (both consumed), or,
// when it opens with a double quote, to the closing quote, after which the rest
// up to and including the next comma or line end is skipped. A number field
// runs to the next blank, comma or line end; the blanks after it and one comma
// are consumed. Every failure throws Fault with the field's location: a
// FieldFault when the file ends before a field or a number field cannot be
// read as the number asked for.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text);

  // True once nothing but blanks and line ends remains.
  bool at_end() const;

  // A text field, as a view of the text read.
  std::string_view read_text();
  uint8_t read_byte();
  int16_t read_integer();
  int32_t read_long();
  // read_long, also giving where the field stands.
  int32_t read_long(SourceLocation& where) {
    const int32_t value = read_long();
    where = field_location_;
    return value;
  }

  // Passes over the rest of the current line and its line end, unless the
  // last field read ended its line: what is left of a row read no further.
  void skip_rest_of_line();
  // Passes over what is left of line `line` and its line end, when the
  // reading stands in that line or at the start of the one after it (where a
  // field that ended its line leaves it). False, passing over nothing, when
  // it stands anywhere else.
  bool skip_rest_of(int line);

  // Appends each field read from now on without a failure to `fields`
  // (none: nullptr).
  void record_fields(std::vector<ReadField>* fields) { recorded_ = fields; }

  // How many fields have been read so far.
  int fields_read() const { return fields_read_; }

  // Where the field most recently read (or being read) begins.
  SourceLocation field_location() const { return field_location_; }

 private:
  int64_t read_number(int64_t min, int64_t max, const char* kind);
  // The value of a number field's text; throws Fault when it is none or out
  // of range.
  int64_t number_in(std::string_view digits, int64_t min, int64_t max, const char* kind) const;
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
  int fields_read_ = 0;
  std::vector<ReadField>* recorded_ = nullptr;
};

}  // namespace sc
