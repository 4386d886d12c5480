#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sc {

// Text in files and in the scenario table is bytes of the Windows-1252 code
// page.

// Lower case of one Windows-1252 byte (A-Z and the accented capitals).
char to_lower_1252(char c);

// Converts UTF-8 to Windows-1252; nullopt when the input is not valid UTF-8 or
// holds a character that Windows-1252 cannot represent.
std::optional<std::string> utf8_to_1252(std::string_view utf8);

// Converts Windows-1252 bytes to UTF-8 (for messages on a UTF-8 terminal).
std::string cp1252_to_utf8(std::string_view text);

}  // namespace sc
