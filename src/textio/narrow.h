#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "textio/fault.h"

namespace sc {

// Putting a computed value into a field of a stated width, in the two ways
// the format knows: the value must fit (a fault otherwise, error 25), or the
// field keeps the value's low bits on purpose.

template <typename T>
constexpr std::string_view width_name() {
  if constexpr (std::is_same_v<T, uint8_t>) return "a Byte (0 to 255)";
  if constexpr (std::is_same_v<T, int16_t>) return "a 16-bit Integer (-32768 to 32767)";
  if constexpr (std::is_same_v<T, int32_t>) return "a 32-bit Long (-2147483648 to 2147483647)";
}

// `value` as a T; throws Fault at `where` when it does not fit.
template <typename T>
T fit(int64_t value, std::string_view what, SourceLocation where) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
    throw Fault(std::string(what) + " " + std::to_string(value) + " does not fit " +
                    std::string(width_name<T>()),
                where);
  }
  return static_cast<T>(value);
}

// The low bits of `value` that a T holds, where the format keeps them.
template <typename T>
constexpr T low_bits(int64_t value) {
  return static_cast<T>(value);  // modular since C++20
}

// 32-bit arithmetic that faults on overflow instead of wrapping.
inline int32_t checked_add(int32_t a, int32_t b, std::string_view what, SourceLocation where) {
  return fit<int32_t>(int64_t{a} + b, what, where);
}

inline int32_t checked_sub(int32_t a, int32_t b, std::string_view what, SourceLocation where) {
  return fit<int32_t>(int64_t{a} - b, what, where);
}

inline int32_t checked_mul(int32_t a, int32_t b, std::string_view what, SourceLocation where) {
  return fit<int32_t>(int64_t{a} * b, what, where);
}

}  // namespace sc
