#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace sc {

// UTF-8 from and to the UTF-16 of the wide-character API.
std::wstring wide_from_utf8(std::string_view utf8);
std::string utf8_from_wide(std::wstring_view wide);

// The system's own words for an error code of GetLastError, without the
// closing full stop and line break.
std::string system_message(DWORD error);

}  // namespace sc
