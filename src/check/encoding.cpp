#include "check/encoding.h"

#include <utility>

#include "check/lint.h"
#include "textio/codepage.h"

namespace sc {
namespace {

// Line and column (1-based, in bytes) of a byte offset.
SourceLocation location_of(std::string_view text, size_t offset) {
  int line = 1;
  size_t line_start = 0;
  for (size_t i = 0; i < offset; ++i) {
    const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (crlf) ++i;
    if (text[i] == '\n' || text[i] == '\r') {
      ++line;
      line_start = i + 1;
    }
  }
  return {line, static_cast<int>(offset - line_start) + 1};
}

}  // namespace

std::optional<InputEncoding> parse_input_encoding(std::string_view name) {
  if (name == "windows-1252") return InputEncoding::kWindows1252;
  if (name == "utf-8") return InputEncoding::kUtf8;
  return std::nullopt;
}

DecodedText decode_input(std::string text, InputEncoding encoding) {
  if (encoding == InputEncoding::kWindows1252) return {std::move(text), std::nullopt};
  Utf8Conversion converted = convert_utf8_to_1252(text);
  if (converted.failed_at == std::string_view::npos)
    return {std::move(converted.text), std::nullopt};
  return {std::move(converted.text), location_of(text, converted.failed_at)};
}

void lint_encoding(std::string_view text, LintContext& context) {
  std::optional<std::pair<size_t, size_t>> first_wide;  // offset and end
  for (size_t i = 0; i < text.size();) {
    // Plain ASCII reads the same in both encodings.
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t start = i;
    if (!decode_utf8(text, i)) return;  // not UTF-8: a Windows-1252 text as expected
    if (i - start > 1 && !first_wide) first_wide = std::pair(start, i);
  }
  if (!first_wide) return;
  const std::string_view character =
      text.substr(first_wide->first, first_wide->second - first_wide->first);
  context.warn(Warning::kUtf8Input, location_of(text, first_wide->first),
               "this file looks like UTF-8: the character written with the bytes \"" +
                   std::string(character) + "\" is read as " + std::to_string(character.size()) +
                   " Windows-1252 characters; give --input-encoding utf-8 to read it as UTF-8");
}

}  // namespace sc
