#include "format/row_kinds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace sc {
namespace {

TEST(RowKinds, EachPartOfEachFileIsOneRunOfTheTable) {
  std::set<std::pair<TextFile, RowPart>> seen;
  TextFile file = row_kinds().front().file;
  RowPart part = row_kinds().front().part;
  seen.insert({file, part});
  for (const RowKindInfo& kind : row_kinds()) {
    if (kind.file == file && kind.part == part) continue;
    file = kind.file;
    part = kind.part;
    EXPECT_TRUE(seen.insert({file, part}).second) << kind.keyword;
  }
  size_t in_parts = 0;
  for (const TextFile in_file : {TextFile::kLine, TextFile::kTrain}) {
    for (const RowPart in_part : {RowPart::kHeader, RowPart::kRows}) {
      for (const RowKindInfo& kind : row_kinds(in_file, in_part)) {
        EXPECT_TRUE(kind.file == in_file && kind.part == in_part) << kind.keyword;
      }
      in_parts += row_kinds(in_file, in_part).size();
    }
  }
  EXPECT_EQ(in_parts, row_kinds().size());
}

// The spelling that writers use and warnings suggest must be read back as
// the same kind, and as no earlier kind of its part.
TEST(RowKinds, EachKeywordNamesItsOwnKindFirst) {
  for (const RowKindInfo& kind : row_kinds()) {
    for (const RowKindInfo& other : row_kinds(kind.file, kind.part)) {
      if (names_kind(other, kind.keyword)) {
        EXPECT_EQ(other.kind, kind.kind) << kind.keyword << " is read as " << other.keyword;
        break;
      }
    }
  }
}

// A handler table holds the kinds of its file in the table's order.
TEST(RowKinds, EachFilesKindsAreNumberedInTheTablesOrder) {
  size_t next[] = {0, 0};
  for (const RowKindInfo& kind : row_kinds()) {
    EXPECT_EQ(index_in_file(kind.kind), next[static_cast<size_t>(kind.file)]++) << kind.keyword;
  }
}

// What writers write for a curve's class and side and for a repetition code
// reads back as the same.
TEST(RowKinds, TheSpellingsWritersUseReadBack) {
  for (char digit = '1'; digit <= '6'; ++digit) {
    for (const bool left : {false, true}) {
      const std::string keyword = curve_keyword(CurveKeyword{digit, left});
      EXPECT_TRUE(names_kind(RowKind::kCurve, keyword)) << keyword;
      const std::optional<CurveKeyword> named = curve_keyword(keyword);
      ASSERT_TRUE(named) << keyword;
      EXPECT_EQ(named->class_digit, digit);
      EXPECT_EQ(named->left, left) << keyword;
    }
  }
  for (const int32_t code : {4, 9}) {
    const std::string keyword = repetition_keyword(code);
    EXPECT_TRUE(names_kind(RowKind::kSignalRepetition, keyword)) << keyword;
    EXPECT_EQ(repetition_code(keyword), code);
  }
}

TEST(RowKinds, LetterCaseIsTheKindsOwn) {
  EXPECT_TRUE(names_kind(RowKind::kRouteLength, "LUNGHEZZA Percorso"));
  EXPECT_FALSE(names_kind(RowKind::kReferenceUno, "Progressiva chilometrica uno"));
  EXPECT_TRUE(names_kind(RowKind::kReferenceUno, "xprogressivax unox"));
  EXPECT_TRUE(names_kind(RowKind::kTextBoard, "INDICATORE del CARTELLO"));
  EXPECT_FALSE(names_kind(RowKind::kTextBoard, "indicatore"));
  EXPECT_TRUE(names_kind(RowKind::kSpeedLimit, "VELOCITÀ"));
}

// The matcher keeps its last answer: each question in turn must get the
// answer of the kinds' own tests, whether the field or the part changed.
TEST(RowKinds, TheMatcherAnswersAsTheKindsDo) {
  struct Question {
    RowPart part;
    std::string_view field;
  };
  const Question questions[] = {
      {RowPart::kRows, "pendenza"},
      {RowPart::kRows, "pendenza"},
      {RowPart::kHeader, "pendenza"},
      {RowPart::kHeader, "sfondo uno due"},
      {RowPart::kRows, "montagna curva"},
      {RowPart::kRows, "indicatori_vmax cartello"},
      {RowPart::kRows, "indicatore cartello"},
      {RowPart::kRows, "x"},
      {RowPart::kRows, "pendenza"},
  };
  KeywordMatcher matcher(TextFile::kLine);
  for (const Question& q : questions) {
    uint32_t expected = 0;
    const auto kinds = row_kinds(TextFile::kLine, q.part);
    for (size_t i = 0; i < kinds.size(); ++i) {
      if (names_kind(kinds[i], q.field)) expected |= uint32_t{1} << i;
    }
    EXPECT_EQ(matcher.kinds_named(q.part, q.field), expected) << q.field;
  }
}

std::string slug(std::string heading) {
  std::string out;
  for (char c : heading) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '_' || c == '-') {
      out += static_cast<char>(std::tolower(u));
    } else if (c == ' ') {
      out += '-';
    }
  }
  return out;
}

// The section each kind names exists in its page.
TEST(RowKinds, EachKindNamesASectionOfTheDocs) {
  for (const RowKindInfo& kind : row_kinds()) {
    const size_t hash = kind.doc.find('#');
    ASSERT_NE(hash, std::string_view::npos) << kind.doc;
    std::ifstream page(std::string(SC_DOCS_DIR) + "/" + std::string(kind.doc.substr(0, hash)));
    ASSERT_TRUE(page) << kind.doc;
    std::set<std::string> anchors;
    for (std::string line; std::getline(page, line);) {
      if (line.starts_with("#")) anchors.insert(slug(line.substr(line.find(' ') + 1)));
    }
    EXPECT_TRUE(anchors.contains(std::string(kind.doc.substr(hash + 1)))) << kind.doc;
  }
}

}  // namespace
}  // namespace sc
