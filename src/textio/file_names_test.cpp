#include "textio/file_names.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(FileNames, NamesComeFromTheFileNames) {
  EXPECT_EQ(line_name_of("dir/Vardeo_Lustrella_linea.txt"), "Vardeo_Lustrella");
  EXPECT_EQ(line_name_of("my-line.txt"), "my-line");
  EXPECT_EQ(line_name_of("noext"), "noext");
  EXPECT_EQ(train_number_of("d/Vardeo_Lustrella_K7306-.txt", "Vardeo_Lustrella"), "K7306");
  EXPECT_EQ(train_number_of("d/train.txt", "Vardeo_Lustrella"), "train");
  EXPECT_EQ(train_number_of("d/Other_K1-.txt", "Vardeo_Lustrella"), "Other_K1-");
  EXPECT_EQ(train_number_of("d/Vardeo_-.txt", "Vardeo"), "Vardeo_-");
}

// Each name pairs back to the files it was derived from.
TEST(FileNames, DerivedNamesPairBack) {
  const ScenarioFileNames names = scenario_file_names("d", "Val_Ressa", "R2231");
  const std::filesystem::path known[] = {names.line_text};
  EXPECT_EQ(line_file_of(names.train_text, known), names.line_text);
  EXPECT_EQ(line_name_of(names.line_text), "Val_Ressa");
  EXPECT_EQ(train_number_of(names.train_text, "Val_Ressa"), "R2231");
}

TEST(FileNames, AFolderPairsEachTrainWithTheLongestLineName) {
  const std::filesystem::path files[] = {
      "d/A_linea.txt",   "d/A_B_linea.txt", "d/A_B_T1-.txt", "d/A_T2-.txt",  "d/A_T1-.txt",
      "d/Z_T9-.txt",     "d/notes.txt",     "d/A_T1.sim",    "d/_linea.txt", "d/Q_linea.txt",
      "d/A_B_linea.txt", "e/A_T3-.txt",     "d/A_-.txt",
  };
  const PairedFiles paired = pair_by_name(files);
  ASSERT_EQ(paired.lines.size(), 3u);
  EXPECT_EQ(paired.lines[0].line_file, "d/A_B_linea.txt");
  EXPECT_EQ(paired.lines[0].train_files, (std::vector<std::filesystem::path>{"d/A_B_T1-.txt"}));
  EXPECT_EQ(paired.lines[1].line_file, "d/A_linea.txt");
  EXPECT_EQ(paired.lines[1].train_files,
            (std::vector<std::filesystem::path>{"d/A_T1-.txt", "d/A_T2-.txt"}));
  EXPECT_EQ(paired.lines[2].line_file, "d/Q_linea.txt");
  EXPECT_TRUE(paired.lines[2].train_files.empty());
  EXPECT_EQ(paired.trains_without_line,
            (std::vector<std::filesystem::path>{"d/A_-.txt", "d/Z_T9-.txt", "e/A_T3-.txt"}));
}

}  // namespace
}  // namespace sc
