#include "lsp/editor_text.h"

#include <utility>

#include "textio/codepage.h"

namespace sc::lsp {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool is_utf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (!decode_utf8(text, i)) return false;
  }
  return true;
}

// U+0080 to U+009F: a byte of a Windows-1252 file that an editor read as
// Latin-1.
std::optional<char> latin1_control_byte(std::string_view utf8, size_t& i) {
  size_t next = i;
  const auto cp = decode_utf8(utf8, next);
  if (!cp || *cp < 0x80 || *cp > 0x9F) return std::nullopt;
  i = next;
  return static_cast<char>(*cp);
}

}  // namespace

CompiledText compiled_text(std::string_view editor_text, const StopFlag& stop) {
  CompiledText compiled;
  if (editor_text.starts_with(kByteOrderMark)) {
    editor_text.remove_prefix(kByteOrderMark.size());
    compiled.byte_order_mark = true;
  }
  const size_t skipped = compiled.byte_order_mark ? kByteOrderMark.size() : 0;
  for (size_t done = 0; done < editor_text.size();) {
    Utf8Conversion part = convert_utf8_to_1252(editor_text.substr(done), stop);
    compiled.text += part.text;
    if (part.failed_at == std::string_view::npos) break;
    done += part.failed_at;
    if (const auto byte = latin1_control_byte(editor_text, done)) {
      compiled.text += *byte;
      continue;
    }
    if (!compiled.unconvertible) compiled.unconvertible = skipped + done;
    // The rest is still read, the character standing as a question mark, so
    // that the other file of the pair is checked.
    compiled.text += '?';
    if (!decode_utf8(editor_text, done)) ++done;
  }
  compiled.encoding = {
      compiled.byte_order_mark ? InputEncoding::kUtf8 : detect_input_encoding(compiled.text, stop),
      false};
  return compiled;
}

std::string latin1_to_utf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

std::string editor_text_of_file(std::string bytes) {
  // A file with a byte-order mark is UTF-8 even where it is malformed, as
  // check reads it.
  if (bytes.starts_with(kByteOrderMark) || is_utf8(bytes)) return bytes;
  return latin1_to_utf8(bytes);
}

}  // namespace sc::lsp
