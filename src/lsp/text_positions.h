#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sc::lsp {

// A place in a document as the protocol gives it: 0-based line, and the
// character counted in UTF-16 code units within the line.
struct Position {
  int line = 0;
  int character = 0;
  auto operator<=>(const Position&) const = default;
};

struct Range {
  Position start;
  Position end;
  bool contains(Position p) const { return start <= p && p <= end; }
};

// A UTF-8 text cut into lines (line ends CR LF, LF or CR), for turning
// protocol positions into byte offsets and back.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text);
  int line_count() const { return static_cast<int>(starts_.size()); }
  // The line's text without its line end; empty past the last line.
  std::string_view line(int number) const;
  // Byte offset in the text of `p`; a position past a line's end or past the
  // last line is clamped to it.
  size_t offset(Position p) const;
  // The position of the byte at `offset`; an offset past the text is clamped
  // to its end.
  Position position(size_t offset) const;
  std::string_view text() const { return text_; }

 private:
  std::string_view text_;
  std::vector<size_t> starts_;
  std::vector<size_t> ends_;
};

// UTF-16 units of the UTF-8 bytes `utf8[0, bytes)`.
int utf16_length(std::string_view utf8);
// The byte offset in `utf8` of the UTF-16 unit `units`, clamped to its end.
size_t byte_offset(std::string_view utf8, int units);

}  // namespace sc::lsp
