#include "grammars/editor_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace sc {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The real table and one kind more, as a new row of row_kinds.def would add.
std::vector<RowKindInfo> table_with(TextFile file, RowPart part, std::string_view word,
                                    std::string_view also, std::string_view what) {
  std::vector<RowKindInfo> kinds(row_kinds().begin(), row_kinds().end());
  RowKindInfo extra = kinds.front();
  extra.file = file;
  extra.part = part;
  extra.word = word;
  extra.also = also;
  extra.letter_case = LetterCase::kAnyCase;
  extra.what = what;
  extra.values = {};
  kinds.push_back(extra);
  return kinds;
}

std::string file_text(const std::vector<EditorFile>& files, std::string_view path) {
  for (const EditorFile& file : files) {
    if (file.path == path) return file.text;
  }
  ADD_FAILURE() << "no editor file " << path;
  return {};
}

TEST(EditorFiles, AKindAddedToTheTableReachesEveryEditorOfItsFile) {
  const std::vector<EditorFile> files =
      editor_files(table_with(TextFile::kTrain, RowPart::kRows, "frana", "grande", "landslide"));
  const std::string train = file_text(files, "vscode/syntaxes/scenario-train.tmLanguage.json");
  EXPECT_THAT(train, HasSubstr("keyword.other.landslide.scenario"));
  EXPECT_THAT(train, HasSubstr("(?i:frana)"));
  EXPECT_THAT(train, HasSubstr("(?i:grande)"));
  EXPECT_THAT(file_text(files, "vscode/syntaxes/scenario-line.tmLanguage.json"),
              Not(HasSubstr("landslide")));
  EXPECT_THAT(file_text(files, "notepad++/scenario-compiler.xml"), HasSubstr(" frana grande<"));
  EXPECT_THAT(file_text(files, "vim/syntax/scenario.vim"),
              HasSubstr("\\%([^,\"-]*frana\\)\\@=\\%([^,\"-]*grande\\)\\@="));
}

TEST(EditorFiles, WordsAreWrittenInEachEditorsOwnQuoting) {
  const std::vector<EditorFile> files =
      editor_files(table_with(TextFile::kLine, RowPart::kRows, "a.b & c", "", "odd word"));
  EXPECT_THAT(file_text(files, "vscode/syntaxes/scenario-line.tmLanguage.json"),
              HasSubstr("(?i:a\\\\.b & c)"));
  EXPECT_THAT(file_text(files, "notepad++/scenario-compiler.xml"),
              HasSubstr("&quot;a.b &amp; c&quot;"));
  EXPECT_THAT(file_text(files, "vim/syntax/scenario.vim"), HasSubstr("a\\.b & c"));
}

TEST(EditorFiles, ScopesNameTheKind) {
  EXPECT_EQ(keyword_scope(row_kind(RowKind::kRouteLength)), "keyword.other.route-length.scenario");
  EXPECT_EQ(keyword_scope(row_kind(RowKind::kSignalRepetition)),
            "keyword.other.signal-repetition.scenario");
}

}  // namespace
}  // namespace sc
