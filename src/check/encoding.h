#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "textio/fault.h"

namespace sc {

class LintContext;

// The code page a user's text files are written in. The compilers read
// Windows-1252; UTF-8 input is converted to it first.
enum class InputEncoding { kWindows1252, kUtf8 };

std::optional<InputEncoding> parse_input_encoding(std::string_view name);

// A file's text as the compilers read it, or where the conversion failed.
struct DecodedText {
  std::string text;
  std::optional<SourceLocation> failed_at;  // a character with no Windows-1252 form
};
DecodedText decode_input(std::string text, InputEncoding encoding);

// Warns when a text read as Windows-1252 is valid UTF-8 with at least one
// character of more than one byte: each such character would become two or
// three wrong ones.
void lint_encoding(std::string_view text, LintContext& context);

}  // namespace sc
