#include "reference/error_reference.h"

#include <gtest/gtest.h>

#include <set>

#include "model/error_catalogue.h"

namespace sc {
namespace {

TEST(ErrorSections, EachRunsFromItsHeadingToTheNextHeading) {
  const std::string_view markdown =
      "# Errors\n"
      "Intro.\n"
      "## 6: text-board-cell-taken\r\n"
      "The cell is taken.\r\n"
      "```line-rows error 6\n"
      "## 7: not-a-heading-inside-a-fence\n"
      "```\n"
      "\n"
      "\n"
      "## Not an error\n"
      "Other text.\n"
      "## 7: abbattimento-cell-taken\n"
      "Last.\n"
      "\n";
  const std::vector<ErrorSection> sections = error_sections(markdown);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].number, 6);
  EXPECT_EQ(sections[0].name, "text-board-cell-taken");
  EXPECT_EQ(sections[0].text,
            "## 6: text-board-cell-taken\r\nThe cell is taken.\r\n```line-rows error 6\n"
            "## 7: not-a-heading-inside-a-fence\n```");
  EXPECT_EQ(sections[1].number, 7);
  EXPECT_EQ(sections[1].text, "## 7: abbattimento-cell-taken\nLast.");
}

TEST(ErrorSections, IgnoresHeadingsThatNameNoError) {
  for (const char* heading : {"## 6 text-board", "## x: name", "## 6: ", "### 6: deeper"}) {
    EXPECT_TRUE(error_sections(std::string(heading) + "\ntext\n").empty()) << heading;
  }
}

// docs/errors.md and the catalogue the compilers record from name the same
// errors under the same names.
TEST(ErrorReference, MatchesTheErrorCatalogue) {
  for (const ErrorInfo& info : error_catalogue()) {
    const std::optional<ErrorSection> section = find_error_section(info.number());
    ASSERT_TRUE(section) << "docs/errors.md has no entry \"## " << info.number() << ": "
                         << info.name << "\"";
    EXPECT_EQ(section->name, info.name) << "error " << info.number();
  }
  for (const ErrorSection& section : error_reference()) {
    EXPECT_NE(find_error(section.number), nullptr)
        << "docs/errors.md explains error " << section.number
        << ", which the program does not know";
  }
}

TEST(ErrorReference, BuiltInReferenceHasOneEntryPerNumber) {
  std::set<int> numbers;
  for (const ErrorSection& section : error_reference()) {
    EXPECT_TRUE(numbers.insert(section.number).second) << "error " << section.number << " twice";
  }
  EXPECT_TRUE(find_error_section(25).has_value());
  EXPECT_FALSE(find_error_section(14).has_value());
}

}  // namespace
}  // namespace sc
