#include "diagnostics/source_lines.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace sc {
namespace {

// The offset of the first byte from `i` on that may end a line, tested eight
// bytes at a time: a word with no byte below 14 holds neither CR nor LF.
size_t skip_to_control(std::string_view text, size_t i) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  for (; i + sizeof(uint64_t) <= text.size(); i += sizeof(uint64_t)) {
    uint64_t bytes = 0;
    std::memcpy(&bytes, text.data() + i, sizeof bytes);
    // The lowest marked byte is the first below 14 (a borrow marks only
    // bytes above it); in memory order on a little-endian machine.
    const uint64_t marks = (bytes - kOnes * 14) & ~bytes & kHighBits;
    if (marks == 0) continue;
    if constexpr (std::endian::native == std::endian::little) {
      return i + static_cast<size_t>(std::countr_zero(marks)) / 8;
    }
    break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) >= 14) ++i;
  return i;
}

}  // namespace

size_t line_end_from(std::string_view text, size_t from) {
  for (size_t i = skip_to_control(text, from); i < text.size(); i = skip_to_control(text, i + 1)) {
    if (text[i] == '\r' || text[i] == '\n') return i;
  }
  return text.size();
}

SourceLines::SourceLines(std::string_view text) : text_(text) {
  starts_.push_back(0);
}

void SourceLines::find_starts(size_t count) const {
  size_t i = scanned_;
  while (starts_.size() < count && i < text_.size()) {
    i = skip_to_control(text_, i);
    if (i == text_.size()) break;
    const char c = text_[i++];
    if (c != '\r' && c != '\n') continue;
    if (c == '\r' && i < text_.size() && text_[i] == '\n') ++i;
    starts_.push_back(i);
  }
  scanned_ = i;
}

size_t SourceLines::start(int number) const {
  if (number < 1) return text_.size();
  find_starts(static_cast<size_t>(number));
  if (static_cast<size_t>(number) > starts_.size()) return text_.size();
  return starts_[static_cast<size_t>(number) - 1];
}

std::string_view SourceLines::line(int number) const {
  const size_t begin = start(number);
  return text_.substr(begin, line_end_from(text_, begin) - begin);
}

}  // namespace sc
