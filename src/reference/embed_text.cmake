# Writes OUTPUT, a C++ source that defines `std::string_view FUNCTION()`
# returning the bytes of INPUT. Run at build time with cmake -P.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
       "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.
#include <cstddef>
#include <string_view>

namespace sc::embedded {
namespace {
constexpr unsigned char kBytes[] = {
${bytes}0};
}  // namespace

std::string_view ${FUNCTION}() {
  return {reinterpret_cast<const char*>(kBytes), sizeof kBytes - 1};
}
}  // namespace sc::embedded
")
