#include "textio/codepage.h"

#include <array>
#include <cstdint>
#include <utility>

namespace sc {
namespace {

// Unicode code points of the bytes 0x80 to 0x9F; 0 where the byte is unused.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t code_point_of(unsigned char byte) {
  if (byte < 0x80 || byte > 0x9F) return byte;
  const char32_t cp = kHighControls[byte - 0x80];
  return cp == 0 ? U'\uFFFD' : cp;
}

std::optional<unsigned char> byte_of(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == cp)
      return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::optional<char32_t> decode_utf8(std::string_view utf8, size_t& i) {
  // The smallest code point each sequence length may carry.
  constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(utf8[i]);
  int extra = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    cp = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (utf8.size() - i <= static_cast<size_t>(extra)) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(utf8[i + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < kShortest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    return std::nullopt;
  }
  i += 1 + extra;
  return cp;
}

std::optional<std::string> utf8_to_1252(std::string_view utf8) {
  Utf8Conversion converted = convert_utf8_to_1252(utf8);
  if (converted.failed_at != std::string_view::npos) return std::nullopt;
  return std::move(converted.text);
}

Utf8Conversion convert_utf8_to_1252(std::string_view utf8, const StopFlag& stop) {
  Utf8Conversion out;
  size_t next_look = kBytesBetweenStopLooks;
  for (size_t i = 0; i < utf8.size();) {
    if (i >= next_look) {
      stop.stop_if_requested();
      next_look = i + kBytesBetweenStopLooks;
    }
    const size_t start = i;
    const auto cp = decode_utf8(utf8, i);
    const auto byte = cp ? byte_of(*cp) : std::nullopt;
    if (!byte) {
      out.failed_at = start;
      return out;
    }
    out.text += static_cast<char>(*byte);
  }
  return out;
}

std::string cp1252_to_utf8(std::string_view text) {
  std::string out;
  for (char c : text) {
    append_utf8(out, code_point_of(static_cast<unsigned char>(c)));
  }
  return out;
}

}  // namespace sc
