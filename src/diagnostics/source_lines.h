#pragma once

#include <string_view>
#include <vector>

namespace sc {

// The lines of a text: a line ends at CR LF, LF or CR alone. Line ends are
// found once, and only as far as the lines asked for, so a finding near the
// top of a long file reads no more than its top. Holds a view of the text,
// which must outlive it and keep its size; bytes may change in place as long
// as no line end is added or removed.
// The offset of the first CR or LF from `from` on; the text's size when none.
size_t line_end_from(std::string_view text, size_t from);

class SourceLines {
 public:
  explicit SourceLines(std::string_view text);

  // Line `number` (from 1) without its line end; empty past the last line.
  std::string_view line(int number) const;
  // The offset of the line's first byte in the text; the text's size past the
  // last line.
  size_t start(int number) const;

 private:
  // Finds line starts until `count` are known or the text is over.
  void find_starts(size_t count) const;

  std::string_view text_;
  mutable std::vector<size_t> starts_;
  mutable size_t scanned_ = 0;  // the offset the search for line ends goes on from
};

}  // namespace sc
