#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "textio/stop_flag.h"

namespace sc {

// Text in files and in the scenario table is bytes of the Windows-1252 code
// page.

namespace detail {
constexpr std::array<char, 256> lower_case_table() {
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    int lower = b;
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) lower = b + 0x20;
    if (b == 0x8A || b == 0x8C || b == 0x8E) lower = b + 0x10;  // S caron, OE, Z caron
    if (b == 0x9F) lower = 0xFF;                                // Y diaeresis
    table[static_cast<size_t>(b)] = static_cast<char>(lower);
  }
  return table;
}
inline constexpr std::array<char, 256> kLowerCase = lower_case_table();
}  // namespace detail

// Lower case of one Windows-1252 byte (A-Z and the accented capitals). Every
// keyword test calls it for each character, so it is a table look-up.
inline char to_lower_1252(char c) {
  return detail::kLowerCase[static_cast<unsigned char>(c)];
}

// Converts UTF-8 to Windows-1252; nullopt when the input is not well-formed
// UTF-8 (overlong forms, surrogates and code points beyond U+10FFFF included)
// or holds a character that Windows-1252 cannot represent.
std::optional<std::string> utf8_to_1252(std::string_view utf8);

// The same, stopping at the first character that is malformed or has no
// Windows-1252 form: `text` holds what came before it, `failed_at` its byte
// offset (npos when the whole input converted). Throws WorkStopped once
// `stop` is set.
struct Utf8Conversion {
  std::string text;
  size_t failed_at = std::string_view::npos;
};
Utf8Conversion convert_utf8_to_1252(std::string_view utf8, const StopFlag& stop = {});

// The code point of the well-formed UTF-8 sequence at `i`, which is moved past
// it; nullopt for a malformed one: a stray or missing continuation byte, a
// longer form than the code point needs, a surrogate, or a code point beyond
// U+10FFFF.
std::optional<char32_t> decode_utf8(std::string_view utf8, size_t& i);

// Converts Windows-1252 bytes to UTF-8 (for messages on a UTF-8 terminal).
std::string cp1252_to_utf8(std::string_view text);

}  // namespace sc
