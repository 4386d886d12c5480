#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "textio/fault.h"
#include "textio/stop_flag.h"

namespace sc {

class LintContext;

// The code page a user's text file is read in. The compilers read
// Windows-1252; UTF-8 input is converted to it first.
enum class InputEncoding { kWindows1252, kUtf8 };

// What --input-encoding asks for: nullopt (no option) reads each file in the
// encoding its bytes show, see detect_input_encoding.
using EncodingChoice = std::optional<InputEncoding>;

std::optional<InputEncoding> parse_input_encoding(std::string_view name);

// UTF-8 for a text that starts with a UTF-8 byte-order mark, or that is
// well-formed UTF-8 and holds a character beyond ASCII; Windows-1252 for any
// other. Throws WorkStopped once `stop` is set.
InputEncoding detect_input_encoding(std::string_view text, const StopFlag& stop = {});

// How one file was read: in what, and whether the user chose it.
struct FileEncoding {
  InputEncoding read_as = InputEncoding::kWindows1252;
  bool forced = false;
};
struct SourceEncodings {
  FileEncoding line;
  FileEncoding train;
};

// A file's text as the compilers read it, or where the conversion failed. A
// byte-order mark is dropped. Throws WorkStopped once `stop` is set.
struct DecodedText {
  std::string text;
  FileEncoding encoding;
  std::optional<SourceLocation> failed_at;  // a character with no Windows-1252 form
};
DecodedText decode_input(std::string text, EncodingChoice choice, const StopFlag& stop = {});

// Warns about a text read as Windows-1252 that holds UTF-8 characters of more
// than one byte, each of which becomes two or three wrong ones: when the user
// forced Windows-1252 on a well-formed UTF-8 file, or when a file mostly
// written in UTF-8 is not well-formed UTF-8 somewhere and so was read as
// Windows-1252.
void lint_encoding(std::string_view text, FileEncoding encoding, LintContext& context);

}  // namespace sc
