#include "diagnostics/source_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace sc {
namespace {

// Line ends of each kind, some inside the eight-byte words the search skips,
// and lines asked for in any order.
TEST(SourceLines, FindsEachLineWhateverItsEnd) {
  const std::string text =
      "[generale]\r\n"
      "lunghezza percorso, 1000\n"
      "\tpendenza, 100, 5\r"
      "\r\n"
      "a line longer than one word of the search, to its end";
  struct Case {
    int number;
    std::string_view line;
    size_t start;
  };
  const Case cases[] = {
      {3, "\tpendenza, 100, 5", 37},
      {1, "[generale]", 0},
      {2, "lunghezza percorso, 1000", 12},
      {4, "", 55},
      {5, "a line longer than one word of the search, to its end", 57},
      {6, "", text.size()},
      {0, "", text.size()},
  };
  const SourceLines lines(text);
  for (const Case& c : cases) {
    EXPECT_EQ(lines.line(c.number), c.line) << c.number;
    EXPECT_EQ(lines.start(c.number), c.start) << c.number;
  }
}

TEST(SourceLines, ATextEndingInALineEndHasAnEmptyLastLine) {
  const SourceLines lines("a\nb\n");
  EXPECT_EQ(lines.line(2), "b");
  EXPECT_EQ(lines.start(3), 4u);
  EXPECT_EQ(lines.line(3), "");
  EXPECT_EQ(lines.start(4), 4u);
}

}  // namespace
}  // namespace sc
