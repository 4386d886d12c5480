// Reads an arbitrary text as fields of every kind until it fails or ends. The
// first byte chooses the kinds, two bits a field.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "textio/field_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t kinds = data[0];
  sc::FieldReader reader(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  sc::SourceLocation previous;
  try {
    for (int n = 0; !reader.at_end(); ++n) {
      switch ((kinds >> (2 * (n % 4))) & 3) {
        case 0:
          (void)reader.read_text();
          break;
        case 1:
          (void)reader.read_byte();
          break;
        case 2:
          (void)reader.read_integer();
          break;
        default:
          (void)reader.read_long();
          break;
      }
      const sc::SourceLocation here = reader.field_location();
      // Fields come in file order.
      if (here.line < previous.line ||
          (here.line == previous.line && here.column <= previous.column)) {
        __builtin_trap();
      }
      previous = here;
    }
  } catch (const sc::Fault&) {
  }
  return 0;
}
