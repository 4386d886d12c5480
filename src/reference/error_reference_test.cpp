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

TEST(WarningSections, TakeOneWordHeadingsOnly) {
  const std::vector<ErrorSection> sections =
      warning_sections("# Warnings\n## off-grid\nRounded.\n## How it works\n## 6: x\n");
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0].name, "off-grid");
  EXPECT_EQ(sections[0].number, 0);
  EXPECT_EQ(sections[0].text, "## off-grid\nRounded.");
}

TEST(PlainText, DropsFencesLabelsAndMarks) {
  const std::vector<ErrorSection> sections = error_sections(
      "## 6: text-board-cell-taken\n"
      "The **cell** of `indicatore cartello` is taken; see [line-file.md](line-file.md#x).\n"
      "\n"
      "- **Change:** move `[pendenze]` rows.\n"
      "```line-rows error 6\n"
      "indicatore cartello, 500, `A`\n"
      "\n"
      "pendenza, 500, 1\n"
      "```\n");
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(plain_text(sections[0]),
            "error 6: text-board-cell-taken\n"
            "The cell of indicatore cartello is taken; see line-file.md.\n"
            "\n"
            "- Change: move [pendenze] rows.\n"
            "    indicatore cartello, 500, `A`\n"
            "\n"
            "    pendenza, 500, 1\n");
  const std::vector<ErrorSection> warnings = warning_sections("## off-grid\nRounded.\n");
  EXPECT_EQ(plain_text(warnings[0]), "warning: off-grid\nRounded.\n");
}

TEST(DiagnosticSections, FoundByNumberOrByName) {
  EXPECT_EQ(find_diagnostic_section("22")->name, "stations-too-close");
  EXPECT_EQ(find_diagnostic_section("stations-too-close")->number, 22);
  EXPECT_EQ(find_diagnostic_section("off-grid")->number, 0);
  EXPECT_EQ(find_diagnostic_section("run-time-fault")->name, "bad-value");  // its former name
  for (const char* unknown : {"14", "22x", "", "off", "How"}) {
    EXPECT_FALSE(find_diagnostic_section(unknown)) << unknown;
  }
  EXPECT_FALSE(warning_reference().empty());
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
