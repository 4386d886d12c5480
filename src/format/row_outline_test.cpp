#include "format/row_outline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sc {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> kinds(const TextOutline& outline) {
  std::vector<std::string> out;
  for (const RowRecord& row : outline.rows) {
    out.push_back(row.kind ? std::string(row_kind(*row.kind).what) : "none");
  }
  return out;
}

std::vector<int64_t> numbers(const RowRecord& row) {
  std::vector<int64_t> out;
  for (const ReadField& value : row.values) out.push_back(value.number);
  return out;
}

// A document being typed: a value that is no number and a row the file ends
// in stop their rows, and the rows after them are still read.
TEST(RowOutline, ARowThatCannotBeReadKeepsTheRowsAroundIt) {
  const std::string text =
      "velocita, 5, 5\n"
      "[generale]\n"
      "velocita, 0, 80\n"
      "segnale, 2000, x, 4\n"
      "aderenza, 100, 50\n"
      "stazione, 0, 12\n";
  const TextOutline outline = read_outline(text, TextFile::kTrain);
  ASSERT_TRUE(outline.general);
  EXPECT_EQ(outline.general->at.line, 2);
  EXPECT_EQ(text.substr(outline.general->begin, 10), "[generale]");
  EXPECT_THAT(kinds(outline), ElementsAre("speed limit", "signal", "adhesion", "station"));
  EXPECT_THAT(numbers(outline.rows[1]), ElementsAre(2000));
  EXPECT_THAT(numbers(outline.rows[2]), ElementsAre(100, 50));
  EXPECT_THAT(numbers(outline.rows[3]), ElementsAre(0, 12));
  ASSERT_EQ(outline.stops.size(), 2u);
  EXPECT_EQ(outline.stops[0].row, 1u);
  EXPECT_EQ(outline.stops[0].at.line, 4);
  EXPECT_EQ(outline.stops[0].at.column, 16);
  EXPECT_EQ(outline.stops[0].field, "x");
  EXPECT_THAT(outline.stops[0].message, HasSubstr("value 2 (sx) of the signal row"));
  EXPECT_EQ(outline.stops[1].row, 3u);
  EXPECT_THAT(outline.stops[1].message, HasSubstr("the file ends where value 3 (length)"));
}

// The reader's rules, not the lines: a field naming two kinds reads the
// values of each, a row's values run on over line ends, the hyphen fields
// before a keyword are passed over, and the header ends at its first section
// line.
TEST(RowOutline, RowsAreReadAsTheCompilersReadThem) {
  const std::string text =
      "[generale]\n"
      "lunghezza percorso,\n"
      "  12000\n"
      "[pendenze]\n"
      "pendenza curva, 0, 1, 100, 50\n"
      "-, curvas3, 200, 20\n"
      "[fine]\n";
  const TextOutline outline = read_outline(text, TextFile::kLine);
  // The file's last field is never a row.
  EXPECT_THAT(kinds(outline), ElementsAre("route length", "none", "gradient", "curve", "curve"));
  EXPECT_EQ(outline.rows[0].part, RowPart::kHeader);
  EXPECT_EQ(outline.rows[0].values[0].at.line, 3);
  EXPECT_EQ(outline.rows[1].part, RowPart::kHeader);
  EXPECT_EQ(outline.rows[2].part, RowPart::kRows);
  EXPECT_THAT(numbers(outline.rows[2]), ElementsAre(0, 1));
  EXPECT_THAT(numbers(outline.rows[3]), ElementsAre(100, 50));
  EXPECT_EQ(outline.rows[3].keyword.begin, outline.rows[2].keyword.begin);
  ASSERT_EQ(outline.rows[4].skipped.size(), 1u);
  EXPECT_EQ(outline.rows[4].keyword.text, "curvas3");
  EXPECT_TRUE(outline.stops.empty());
}

}  // namespace
}  // namespace sc
