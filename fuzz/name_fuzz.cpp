// Converts arbitrary bytes as a name typed on the command line. A name that
// is accepted must hold no NUL and come back to the very bytes typed when its
// Windows-1252 form is turned into the UTF-8 of its file names: no two
// spellings of one name, no character lost or invented.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "textio/codepage.h"
#include "textio/file_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view typed(reinterpret_cast<const char*>(data), size);
  const auto name = sc::name_to_1252(typed);
  if (!name) return 0;
  if (name->find('\0') != std::string::npos || sc::cp1252_to_utf8(*name) != typed) {
    __builtin_trap();
  }
  return 0;
}
