#pragma once

#include <string_view>
#include <vector>

namespace sc {

// The lines of a text, found once: a line ends at CR LF, LF or CR alone.
// Holds a view of the text, which must outlive it and keep its size; bytes
// may change in place as long as no line end is added or removed.
class SourceLines {
 public:
  explicit SourceLines(std::string_view text);

  // Line `number` (from 1) without its line end; empty past the last line.
  std::string_view line(int number) const;
  // The offset of the line's first byte in the text; the text's size past the
  // last line.
  size_t start(int number) const;

 private:
  std::string_view text_;
  std::vector<size_t> starts_;
};

}  // namespace sc
