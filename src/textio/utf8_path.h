#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sc {

// Paths to and from UTF-8 text, the same on every platform. A path built from
// a plain std::string reads its bytes in the system's narrow code page on
// Windows, so every path made from a name or an argument goes through these;
// on Linux they copy the bytes as they are.
// The characters that separate the parts of a path.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "/\\";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

inline std::filesystem::path path_from_utf8(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string utf8_of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace sc
