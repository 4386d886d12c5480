#include "textio/field_reader.h"

#include <algorithm>
#include <array>
#include <optional>

namespace sc {
namespace {

constexpr size_t kMaxTextLength = 65535;

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// The characters that end a field, as a table: the scans below test one
// lookup per character.
using CharSet = std::array<bool, 256>;

constexpr CharSet char_set(std::string_view members) {
  CharSet set{};
  for (const char c : members) set[static_cast<unsigned char>(c)] = true;
  return set;
}

constexpr CharSet kTextEnds = char_set(",\r\n");
constexpr CharSet kNumberEnds = char_set(" \t,\r\n");

// The position of the first character of `text` from `from` on that is in
// `ends`, or the text's size.
size_t find_end(std::string_view text, size_t from, const CharSet& ends) {
  while (from < text.size() && !ends[static_cast<unsigned char>(text[from])]) ++from;
  return from;
}

// A number field as most are, an optional sign and 1 to 18 digits, read in
// one pass: its value and the offset after it. Nothing for any other field,
// which number_in then reads and reports on.
struct PlainNumber {
  int64_t value;
  size_t end;
};
std::optional<PlainNumber> plain_number(std::string_view text, size_t i) {
  constexpr size_t kMostDigits = 18;  // 10^18 - 1 fits 64 bits with its sign
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  const size_t first_digit = i;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(text[i]) - '0');
    if (digit > 9) break;
    magnitude = magnitude * 10 + digit;
  }
  const size_t digits = i - first_digit;
  const bool ends_here = i == text.size() || kNumberEnds[static_cast<unsigned char>(text[i])];
  if (digits == 0 || digits > kMostDigits || !ends_here) return std::nullopt;
  const auto value = static_cast<int64_t>(magnitude);
  return PlainNumber{negative ? -value : value, i};
}

}  // namespace

FieldReader::FieldReader(std::string_view text) : text_(text) {}

SourceLocation FieldReader::here() const {
  return {line_, static_cast<int>(pos_ - line_start_) + 1};
}

bool FieldReader::at_line_end() const {
  return !done() && (peek() == '\r' || peek() == '\n');
}

void FieldReader::skip_line_end() {
  if (peek() == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
  line_start_ = pos_;
}

void FieldReader::skip_rest_of_line() {
  if (pos_ == line_start_) return;
  while (!done() && !at_line_end()) ++pos_;
  if (!done()) skip_line_end();
}

bool FieldReader::skip_rest_of(int line) {
  if (line_ == line + 1 && pos_ == line_start_) return true;
  if (line_ != line) return false;
  while (!done() && !at_line_end()) ++pos_;
  if (!done()) skip_line_end();
  return true;
}

void FieldReader::skip_blanks() {
  while (!done() && is_blank(peek())) ++pos_;
}

bool FieldReader::at_end() const {
  for (size_t i = pos_; i < text_.size(); ++i) {
    const char c = text_[i];
    if (!is_blank(c) && c != '\r' && c != '\n') return false;
  }
  return true;
}

void FieldReader::start_field() {
  for (;;) {
    skip_blanks();
    if (!at_line_end()) break;
    skip_line_end();
  }
  field_location_ = here();
  if (done()) {
    throw FieldFault("the file ends where another field was expected", field_location_,
                     FieldFault::Problem::kFileEnds);
  }
}

std::string_view FieldReader::read_text() {
  start_field();
  const size_t begin = pos_;
  size_t end = 0;
  int end_line = field_location_.line;
  int end_column = 0;
  std::string_view value;
  if (peek() == '"') {
    const size_t close = text_.find('"', pos_ + 1);
    if (close == std::string_view::npos) {
      throw Fault("a quoted text is never closed by a double quote", field_location_);
    }
    value = text_.substr(pos_ + 1, close - pos_ - 1);
    for (size_t i = pos_; i < close; ++i) {
      if (text_[i] == '\n' || (text_[i] == '\r' && text_[i + 1] != '\n')) {
        ++line_;
        line_start_ = i + 1;
      }
    }
    end = close + 1;
    end_line = line_;
    end_column = static_cast<int>(end - line_start_) + 1;
    pos_ = find_end(text_, end, kTextEnds);
  } else {
    pos_ = find_end(text_, pos_, kTextEnds);
    end = pos_;
    end_column = field_location_.column + static_cast<int>(end - begin);
    value = text_.substr(begin, end - begin);
  }
  if (!done()) {
    if (peek() == ',') {
      ++pos_;
    } else {
      skip_line_end();
    }
  }
  if (value.size() > kMaxTextLength) {
    throw Fault("a text field is longer than 65535 characters", field_location_);
  }
  ++fields_read_;
  if (recorded_)
    recorded_->push_back({begin, end, field_location_, end_line, end_column, 0, value});
  return value;
}

int64_t FieldReader::read_number(int64_t min, int64_t max, const char* kind) {
  start_field();
  const size_t start = pos_;
  const std::optional<PlainNumber> plain = plain_number(text_, start);
  pos_ = plain ? plain->end : find_end(text_, pos_, kNumberEnds);
  const std::string_view digits = text_.substr(start, pos_ - start);
  skip_blanks();
  if (!done() && peek() == ',') ++pos_;
  const bool in_range = plain && plain->value >= min && plain->value <= max;
  const int64_t value = in_range ? plain->value : number_in(digits, min, max, kind);
  ++fields_read_;
  if (recorded_) {
    recorded_->push_back({start,
                          start + digits.size(),
                          field_location_,
                          field_location_.line,
                          field_location_.column + static_cast<int>(digits.size()),
                          value,
                          {}});
  }
  return value;
}

int64_t FieldReader::number_in(std::string_view digits, int64_t min, int64_t max,
                               const char* kind) const {
  if (digits.empty()) return 0;
  std::string_view body = digits;
  bool negative = false;
  if (body[0] == '+' || body[0] == '-') {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  // One pass checks the digits and sums them. More than 19 digits after the
  // leading zeros make at least 10^19, beyond any 64-bit value: the sum may
  // then wrap, and the number is reported as too large unless a non-digit
  // comes first.
  bool all_digits = !body.empty();
  uint64_t magnitude = 0;
  for (const char c : body) {
    const auto digit = static_cast<unsigned>(static_cast<unsigned char>(c) - '0');
    all_digits = all_digits && digit <= 9;
    magnitude = magnitude * 10 + digit;
  }
  constexpr size_t kMostDigits = 19;
  const bool overflow =
      body.size() > kMostDigits &&
      body.size() - std::min(body.find_first_not_of('0'), body.size()) > kMostDigits;
  if (!all_digits) {
    throw FieldFault("\"" + std::string(digits) + "\" is not a whole number; a " + kind + " from " +
                         std::to_string(min) + " to " + std::to_string(max) + " is expected",
                     field_location_, FieldFault::Problem::kNotANumber, digits, min, max);
  }
  const auto out_of_range = [&] {
    return FieldFault(std::string(digits) + " does not fit a " + kind + " (" + std::to_string(min) +
                          " to " + std::to_string(max) + ")",
                      field_location_, FieldFault::Problem::kOutOfRange, digits, min, max);
  };
  // Every target fits 32 bits: a magnitude past INT64_MAX is out of range
  // whatever its sign, and is refused before it is negated.
  if (overflow || magnitude > static_cast<uint64_t>(INT64_MAX)) throw out_of_range();
  const int64_t value =
      negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (value < min || value > max) throw out_of_range();
  return value;
}

uint8_t FieldReader::read_byte() {
  return static_cast<uint8_t>(read_number(0, 255, "Byte"));
}

int16_t FieldReader::read_integer() {
  return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX, "16-bit Integer"));
}

int32_t FieldReader::read_long() {
  return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX, "32-bit Long"));
}

}  // namespace sc
