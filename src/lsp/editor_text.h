#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "check/encoding.h"

namespace sc::lsp {

// A document's text as the compile reads the file it stands for. The editor
// holds UTF-8 whatever the file is in: a Windows-1252 file opened as Latin-1
// shows each byte as one character, the bytes 0x80 to 0x9F as U+0080 to
// U+009F, which are taken back as those bytes; a byte-order mark at the start
// is left out, as check leaves it out. Throws WorkStopped once `stop` is set.
struct CompiledText {
  std::string text;  // Windows-1252
  // How check would have read the file that holds these bytes, for the
  // warnings about encodings.
  FileEncoding encoding;
  bool byte_order_mark = false;
  // The byte offset, in the editor's text, of the first character that
  // Windows-1252 has no form for; `text` holds a question mark for each.
  std::optional<size_t> unconvertible;
};
CompiledText compiled_text(std::string_view editor_text, const StopFlag& stop = {});

// Each byte as the character of the same number, as an editor reads a file as
// Latin-1.
std::string latin1_to_utf8(std::string_view bytes);

// A file that is not open, as an editor shows it: UTF-8 as it is (a
// byte-order mark kept), any other text as Latin-1.
std::string editor_text_of_file(std::string bytes);

}  // namespace sc::lsp
