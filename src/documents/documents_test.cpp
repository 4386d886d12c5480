#include "documents/documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sc {
namespace {

std::string read_fixture(const std::string& name) {
  const std::string path = std::string(SC_DOCUMENTS_TESTDATA) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Column positions of every bar in a line.
std::vector<size_t> bar_columns(const std::string& line) {
  std::vector<size_t> columns;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '|') columns.push_back(i);
  }
  return columns;
}

struct DocumentCase {
  const char* name;
  DocumentLines (*writer)();
  const char* fixture;  // the expected file, CR LF line ends included
  size_t lines;
  size_t bytes;
};

void PrintTo(const DocumentCase& doc, std::ostream* os) {
  *os << doc.name;
}

const DocumentCase kDocuments[] = {
    {"line_text", dati_linea, "line_text.txt", 112, 2792},
    {"train_text", dati_treno, "train_text.txt", 29, 1223},
    {"train_sheet", dati_scheda, "train_sheet.txt", 49, 3733},
    {"slowdown_form", dati_rallentamenti, "slowdown_form.txt", 46, 3283},
};

class BuiltInDocument : public testing::TestWithParam<DocumentCase> {};

TEST_P(BuiltInDocument, RendersExactlyTheExpectedFile) {
  const DocumentCase& doc = GetParam();
  const std::string rendered = render_document(doc.writer());
  EXPECT_EQ(rendered.size(), doc.bytes);
  EXPECT_EQ(rendered, read_fixture(doc.fixture));
}

TEST_P(BuiltInDocument, ListIsPlainAsciiLinesClosedByOneMarker) {
  const DocumentCase& doc = GetParam();
  const DocumentLines lines = doc.writer();
  ASSERT_EQ(lines.size(), doc.lines + 1);
  EXPECT_EQ(lines.back(), kEndMarker);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(kEndMarker)), 1);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    for (char c : lines[i]) {
      EXPECT_TRUE(c >= ' ' && c <= '~') << "line " << i + 1 << " holds byte " << int(c);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, BuiltInDocument, testing::ValuesIn(kDocuments),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentText, NotesFileIsEmpty) {
  EXPECT_EQ(dati_note(), DocumentLines{std::string(kEndMarker)});
  EXPECT_EQ(render_document(dati_note()), "");
}

TEST(DocumentText, TrailingBlanksAreKept) {
  EXPECT_EQ(dati_treno().at(4), "orologio,    8               41            0 ");
  const std::string sheet_line_9 = dati_scheda().at(8);
  EXPECT_EQ(sheet_line_9.size(), 64u);
  EXPECT_EQ(sheet_line_9.substr(57), "       ");
  EXPECT_EQ(dati_linea().at(8), "ripetizione segnali 4 codici,    0    ,0");
}

// Every line of a table has the given width and its bars in the columns of the
// table's first line.
void expect_aligned_table(const DocumentLines& lines, size_t first, size_t last, size_t width) {
  const std::vector<size_t> columns = bar_columns(lines.at(first - 1));
  for (size_t n = first; n <= last; ++n) {
    const std::string& line = lines.at(n - 1);
    EXPECT_EQ(line.size(), width) << "line " << n;
    EXPECT_EQ(bar_columns(line), columns) << "line " << n;
  }
}

TEST(DocumentText, SheetTimetableLinesAreAligned) {
  const DocumentLines sheet = dati_scheda();
  EXPECT_EQ(bar_columns(sheet.at(13)), (std::vector<size_t>{1, 7, 13, 24, 30, 59, 76, 82}));
  expect_aligned_table(sheet, 14, 48, 83);
  EXPECT_EQ(sheet.at(15), sheet.at(47));  // the closing rule repeats the heading's
  EXPECT_EQ(sheet.at(48), "");            // the sheet ends with an empty line
}

TEST(DocumentText, FormTableLinesAreAligned) {
  const DocumentLines form = dati_rallentamenti();
  EXPECT_EQ(bar_columns(form.at(8)), (std::vector<size_t>{1, 5, 34, 47, 58, 68, 81}));
  expect_aligned_table(form, 9, 39, 82);
  EXPECT_EQ(form.at(11), form.at(38));
  EXPECT_EQ(form.at(45), "     i giorni esclusi i seguenti:.........");
}

TEST(RenderDocument, WritesLinesUpToTheMarker) {
  const std::string marker(kEndMarker);
  const struct {
    DocumentLines lines;
    std::string expected;
  } cases[] = {
      {{marker}, ""},
      {{"a", "", "b", marker}, "a\r\n\r\nb\r\n"},
      {{"a", marker, "after the marker", marker}, "a\r\n"},
      {{"no marker", "at all"}, "no marker\r\nat all\r\n"},
      {{}, ""},
      // Only the whole line, exactly as spelt, is the marker.
      {{marker + " ", "Riferimento fine del file", marker},
       marker + " \r\nRiferimento fine del file\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(render_document(c.lines), c.expected);
  }
}

}  // namespace
}  // namespace sc
