#include "check/encoding.h"

#include <cstdint>
#include <cstring>
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

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where the text's characters of more than one byte first stand in UTF-8, and
// where it first fails to be UTF-8.
struct Utf8Scan {
  std::optional<std::pair<size_t, size_t>> first_wide;  // offset and end
  std::optional<size_t> first_malformed;
};

// The offset of the first byte from `i` on that is not ASCII, or the text's
// size. Eight bytes are tested at a time: the files are mostly ASCII.
size_t skip_ascii(std::string_view text, size_t i) {
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  constexpr size_t kBlock = 4 * sizeof(uint64_t);
  for (; i + kBlock <= text.size(); i += kBlock) {
    uint64_t bytes[4];
    std::memcpy(bytes, text.data() + i, sizeof bytes);
    if ((bytes[0] | bytes[1] | bytes[2] | bytes[3]) & kHighBits) break;
  }
  for (; i + sizeof(uint64_t) <= text.size(); i += sizeof(uint64_t)) {
    uint64_t bytes = 0;
    std::memcpy(&bytes, text.data() + i, sizeof bytes);
    if (bytes & kHighBits) break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

Utf8Scan scan_utf8(std::string_view text, const StopFlag& stop = {}) {
  Utf8Scan scan;
  size_t next_look = kBytesBetweenStopLooks;
  for (size_t i = 0; i < text.size();) {
    if (i >= next_look) {
      stop.stop_if_requested();
      next_look = i + kBytesBetweenStopLooks;
    }
    // Plain ASCII reads the same in both encodings.
    i = skip_ascii(text, i);
    if (i == text.size()) break;
    const size_t start = i;
    if (!decode_utf8(text, i)) {
      if (!scan.first_malformed) scan.first_malformed = start;
      i = start + 1;
      continue;
    }
    if (!scan.first_wide) scan.first_wide = std::pair(start, i);
  }
  return scan;
}

std::string at(std::string_view text, size_t offset) {
  const SourceLocation where = location_of(text, offset);
  return "line " + std::to_string(where.line) + ", column " + std::to_string(where.column);
}

}  // namespace

std::optional<InputEncoding> parse_input_encoding(std::string_view name) {
  if (name == "windows-1252") return InputEncoding::kWindows1252;
  if (name == "utf-8") return InputEncoding::kUtf8;
  return std::nullopt;
}

InputEncoding detect_input_encoding(std::string_view text, const StopFlag& stop) {
  if (text.starts_with(kByteOrderMark)) return InputEncoding::kUtf8;
  const Utf8Scan scan = scan_utf8(text, stop);
  return scan.first_wide && !scan.first_malformed ? InputEncoding::kUtf8
                                                  : InputEncoding::kWindows1252;
}

DecodedText decode_input(std::string text, EncodingChoice choice, const StopFlag& stop) {
  const FileEncoding encoding{choice.value_or(detect_input_encoding(text, stop)),
                              choice.has_value()};
  if (encoding.read_as == InputEncoding::kWindows1252) {
    return {std::move(text), encoding, std::nullopt};
  }
  const size_t mark = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  Utf8Conversion converted = convert_utf8_to_1252(std::string_view(text).substr(mark), stop);
  if (converted.failed_at == std::string_view::npos) {
    return {std::move(converted.text), encoding, std::nullopt};
  }
  // The text converted so far holds one byte for each character before the
  // failing one: its column counts characters, as the compilers' columns do.
  const SourceLocation failed_at = location_of(converted.text, converted.text.size());
  return {std::move(converted.text), encoding, failed_at};
}

void lint_encoding(std::string_view text, FileEncoding encoding, LintContext& context) {
  if (encoding.read_as != InputEncoding::kWindows1252) return;
  const Utf8Scan scan = scan_utf8(text);
  if (!scan.first_wide) return;
  // A forced Windows-1252 file that is not UTF-8 throughout is what it says;
  // a file found to be Windows-1252 is one that is not UTF-8 throughout.
  if (encoding.forced == scan.first_malformed.has_value()) return;
  const auto [start, end] = *scan.first_wide;
  const std::string_view character = text.substr(start, end - start);
  const std::string misread = "the character written with the bytes \"" + std::string(character) +
                              "\" is read as " + std::to_string(character.size()) +
                              " Windows-1252 characters";
  const std::string message =
      encoding.forced
          ? "this file is UTF-8, but --input-encoding windows-1252 reads it as Windows-1252: " +
                misread + "; leave out --input-encoding to read it as UTF-8"
          : "this file holds UTF-8 characters but is not UTF-8 throughout (" +
                at(text, *scan.first_malformed) +
                " is not), so it is read as Windows-1252: " + misread +
                "; save the file as UTF-8, or as Windows-1252, throughout";
  const SourceLocation at = location_of(text, start);
  const SourceLocation after{at.line, at.column + static_cast<int>(end - start)};
  context.warn(Warning::kUtf8Input, {at, after}, message);
}

}  // namespace sc
