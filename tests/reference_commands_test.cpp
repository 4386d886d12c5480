// `scenario-compiler example` and `explain` run as processes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process.h"

namespace sc::testing {
namespace {

constexpr const char* kLineText = "Vardeo_Lustrella_linea.txt";
constexpr const char* kTrainText = "Vardeo_Lustrella_K7306-.txt";

ProcessResult scenario_compiler(const std::string& arguments) {
  return run_command(std::string("env -u DISPLAY ") + SC_EXECUTABLE + " " + arguments);
}

TEST(Example, WritesTheOneShotRunsTextFilesThatCompileClean) {
  TempDir dir;
  const ProcessResult example = scenario_compiler("example " + quoted(dir / "new/sub"));
  ASSERT_EQ(example.status, 0) << example.err;
  EXPECT_EQ(read_bytes(dir / "new/sub" / kLineText),
            read_bytes(SC_DOCUMENTS_TESTDATA "/line_text.txt"));
  EXPECT_EQ(read_bytes(dir / "new/sub" / kTrainText),
            read_bytes(SC_DOCUMENTS_TESTDATA "/train_text.txt"));

  const ProcessResult compiled =
      run_command("cd " + quoted(dir / "new/sub") + " && " + SC_EXECUTABLE + " compile " +
                  kLineText + " " + kTrainText + " -o out");
  EXPECT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_EQ(compiled.err, "");
}

TEST(Example, ReplacesAnExistingFileOnlyWithForce) {
  for (const char* existing : {kLineText, kTrainText}) {
    TempDir dir;
    write_bytes(dir / existing, "mine");
    const ProcessResult refused =
        run_command("cd " + quoted(dir.path()) + " && " + SC_EXECUTABLE + " example");
    EXPECT_EQ(refused.status, 2) << existing;
    EXPECT_NE(refused.err.find(existing), std::string::npos) << refused.err;
    EXPECT_EQ(read_bytes(dir / existing), "mine");
    // Nothing is written when one of the two is refused.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator{}),
              1);

    const ProcessResult forced = scenario_compiler("example --force " + quoted(dir.path()));
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(read_bytes(dir / kLineText), read_bytes(SC_DOCUMENTS_TESTDATA "/line_text.txt"));
    EXPECT_EQ(read_bytes(dir / kTrainText), read_bytes(SC_DOCUMENTS_TESTDATA "/train_text.txt"));
  }
}

// By number or by name, errors and warnings alike, as plain text whether on a
// terminal (script gives the program one) or piped.
TEST(Explain, PrintsTheEntryOfAnErrorOrAWarningAsPlainText) {
  const struct {
    const char* argument;
    const char* heading;
    const char* example;  // a row of the entry's example, indented
  } cases[] = {
      {"22", "error 22: stations-too-close\n", "\n    stazione, "},
      {"stations-too-close", "error 22: stations-too-close\n", "\n    stazione, "},
      {"off-grid", "warning: off-grid\n", "\n    pendenza, "},
  };
  for (const auto& c : cases) {
    std::vector<std::string> ways = {std::string("explain ") + c.argument};
    // Under Wine a pseudo-terminal shows Wine's console drawing, not the
    // program's bytes: the Windows build is tried piped only.
    if (!testing_windows_build()) {
      ways.push_back(std::string("script -qec 'env -u DISPLAY ") + SC_EXECUTABLE + " explain " +
                     c.argument + "' /dev/null");
    }
    for (const std::string& how : ways) {
      ProcessResult explained =
          how.starts_with("script") ? run_command(how) : scenario_compiler(how);
      std::erase(explained.out, '\r');  // a terminal ends its lines with CR LF
      EXPECT_EQ(explained.status, 0) << how << ": " << explained.err;
      EXPECT_TRUE(explained.out.starts_with(c.heading)) << how << ":\n" << explained.out;
      EXPECT_NE(explained.out.find(c.example), std::string::npos) << how << ":\n" << explained.out;
      for (const char* markdown : {"```", "**", "`", "## ", "line-rows", "check-line"}) {
        EXPECT_EQ(explained.out.find(markdown), std::string::npos)
            << how << " prints " << markdown << ":\n"
            << explained.out;
      }
    }
  }
  EXPECT_EQ(scenario_compiler("explain 22").out.find("error 24"), std::string::npos)
      << "the next entry is not printed";
}

TEST(Explain, ListsEveryNumberAndName) {
  const ProcessResult listed = scenario_compiler("explain --list");
  EXPECT_EQ(listed.status, 0) << listed.err;
  for (const char* line : {"\n22 stations-too-close\n", "\noff-grid\n", "\nutf8-input\n"}) {
    EXPECT_NE(("\n" + listed.out).find(line), std::string::npos) << line;
  }
}

TEST(Explain, RejectsWhatNamesNoErrorAsAUsageError) {
  for (const char* argument : {"14", "0", "-1", "abc", "", "off"}) {
    const ProcessResult explained = scenario_compiler(std::string("explain ") + argument);
    EXPECT_EQ(explained.status, 2) << argument;
    EXPECT_EQ(explained.out, "") << argument;
  }
}

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// As an editor starts it: some add --stdio.
TEST(Lsp, TakesStdioAndEndsOnExit) {
  TempDir dir;
  write_bytes(dir / "input",
              framed(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})") +
                  framed(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})") +
                  framed(R"({"jsonrpc":"2.0","method":"exit"})"));
  const ProcessResult served = scenario_compiler("lsp --stdio < " + quoted(dir / "input"));
  EXPECT_EQ(served.status, 0) << served.err;
  EXPECT_NE(served.out.find(R"("id":1,"jsonrpc":"2.0","result":{"capabilities")"),
            std::string::npos)
      << served.out;
  EXPECT_NE(served.out.find(R"("id":2,"jsonrpc":"2.0","result":null)"), std::string::npos);
}

}  // namespace
}  // namespace sc::testing
