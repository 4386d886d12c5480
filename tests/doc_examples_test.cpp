// The examples of README.md and docs/ run as the text around them claims.
//
// A fenced code block is an example when its info string is one of:
//
//   line-file OUTCOME [NAME]    a whole line text file
//   train-file OUTCOME [NAME]   a whole train text file
//   line-rows OUTCOME           rows of a line file, compiled as if they stood
//                               between "[generale]" / "lunghezza percorso,
//                               12000" and "[fine]"
//   train-rows OUTCOME          rows of a train file, compiled as if they stood
//                               between "[generale]" and "[fine]"
//   sh tested                   shell commands, run with `set -e` in an empty
//                               directory with scenario-compiler on the PATH
//   console                     a session: each line "$ COMMAND" is run, and
//                               the lines after it up to the next command are
//                               what it prints (standard output and error
//                               together; a line "..." stands for any number
//                               of lines). The sessions of one page share one
//                               directory, empty at the start, in page order.
//
// OUTCOME is "ok" (a clean compile: status 0, no error, no warning), "warning
// NAME" (status 0, no error, and the one warning NAME) or "error N" (the first
// error reported is N; a fatal error counts when it is the only one). A line-file and a train-file
// block with the same NAME in one page are compiled together and must claim the same outcome; any
// other example is compiled with a fixed partner: a 12 km line with nothing on it, or a train whose
// speed limit is 80 km/h from 0 m.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"

namespace sc::testing {
namespace {

constexpr const char* kLineFrameHead = "[generale]\nlunghezza percorso, 12000\n";
constexpr const char* kTrainFrameHead = "[generale]\n";
constexpr const char* kFrameTail = "[fine]\n";
constexpr const char* kPartnerLine = "[generale]\nlunghezza percorso, 12000\n[fine]\n";
constexpr const char* kPartnerTrain = "[generale]\nvelocita, 0, 80\n[fine]\n";

struct Block {
  std::string page;
  int line = 0;  // of the opening fence
  std::vector<std::string> info;
  std::string body;
  std::string where() const { return page + ":" + std::to_string(line); }
};

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

std::vector<Block> fenced_blocks(const std::filesystem::path& page) {
  std::ifstream in(page);
  std::vector<Block> blocks;
  std::optional<Block> open;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.starts_with("```")) {
      if (open) open->body += line + "\n";
      continue;
    }
    if (open) {
      blocks.push_back(std::move(*open));
      open.reset();
    } else {
      open = Block{page.filename().string(), number, words(line.substr(3)), ""};
    }
  }
  return blocks;
}

std::vector<std::filesystem::path> pages() {
  const std::filesystem::path source = SC_SOURCE_DIR;
  std::vector<std::filesystem::path> found = {source / "README.md"};
  for (const auto& entry : std::filesystem::directory_iterator(source / "docs")) {
    if (entry.path().extension() == ".md") found.push_back(entry.path());
  }
  return found;
}

constexpr int kWarningOutcome = -1;

// The outcome claimed: 0 for "ok", N for "error N", kWarningOutcome for
// "warning NAME" (NAME is info[2]); nullopt when malformed.
std::optional<int> claimed_outcome(const std::vector<std::string>& info) {
  if (info.size() >= 2 && info[1] == "ok") return 0;
  if (info.size() >= 3 && info[1] == "warning") return kWarningOutcome;
  if (info.size() >= 3 && info[1] == "error") {
    try {
      return std::stoi(info[2]);
    } catch (const std::exception&) {
    }
  }
  return std::nullopt;
}

bool is_scenario_example(const Block& block) {
  static const char* kKinds[] = {"line-file", "train-file", "line-rows", "train-rows"};
  if (block.info.empty()) return false;
  for (const char* kind : kKinds) {
    if (block.info[0] == kind) return true;
  }
  return false;
}

// Compiles a line and a train text and checks the outcome claimed.
void expect_outcome(const std::string& where, const std::string& line, const std::string& train,
                    int claimed, const std::vector<std::string>& info) {
  TempDir dir;
  write_bytes(dir / "Esempio_linea.txt", line);
  write_bytes(dir / "Esempio_E1-.txt", train);
  const ProcessResult run =
      run_command(std::string("env -u DISPLAY ") + SC_EXECUTABLE + " compile " +
                  quoted(dir / "Esempio_linea.txt") + " " + quoted(dir / "Esempio_E1-.txt") +
                  " -o " + quoted(dir / "out") + " --json");
  const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(report.is_discarded()) << where << ": no JSON report\n" << run.err;
  const nlohmann::json& diagnostics = report["diagnostics"];
  if (claimed == kWarningOutcome) {
    EXPECT_EQ(run.status, 0) << where << "\n" << run.err;
    EXPECT_TRUE(diagnostics.empty()) << where << ": claimed to compile without error\n" << run.err;
    ASSERT_EQ(report["warnings"].size(), 1u) << where << "\n" << run.err;
    EXPECT_EQ(report["warnings"][0]["name"], info[2]) << where << "\n" << run.err;
    return;
  }
  if (claimed == 0) {
    EXPECT_EQ(run.status, 0) << where << ": claimed to compile clean\n" << run.err;
    EXPECT_TRUE(diagnostics.empty()) << where << ": claimed to compile clean\n" << run.err;
    EXPECT_TRUE(report["warnings"].empty()) << where << ": a clean example warns\n" << run.err;
    return;
  }
  const int first =
      diagnostics.empty() ? report["fatal_error"].get<int>() : diagnostics[0]["number"].get<int>();
  EXPECT_EQ(first, claimed) << where << "\n" << run.err;
  EXPECT_TRUE(run.status == 1 || run.status == 3) << where << ": status " << run.status;
}

struct NamedPair {
  std::optional<Block> line;
  std::optional<Block> train;
};

TEST(DocExamples, CompileAsTheTextClaims) {
  int examples = 0;
  for (const auto& page : pages()) {
    std::map<std::string, NamedPair> pairs;
    for (const Block& block : fenced_blocks(page)) {
      if (!is_scenario_example(block)) continue;
      ++examples;
      const std::optional<int> claimed = claimed_outcome(block.info);
      ASSERT_TRUE(claimed) << block.where()
                           << ": the outcome must be \"ok\", \"warning NAME\" or \"error N\"";
      const std::string& kind = block.info[0];
      const bool named =
          (kind == "line-file" || kind == "train-file") && block.info.size() > (*claimed ? 3u : 2u);
      if (named) {
        NamedPair& pair = pairs[block.info.back()];
        (kind == "line-file" ? pair.line : pair.train) = block;
        continue;
      }
      if (kind == "line-file")
        expect_outcome(block.where(), block.body, kPartnerTrain, *claimed, block.info);
      if (kind == "train-file")
        expect_outcome(block.where(), kPartnerLine, block.body, *claimed, block.info);
      if (kind == "line-rows") {
        expect_outcome(block.where(), kLineFrameHead + block.body + kFrameTail, kPartnerTrain,
                       *claimed, block.info);
      }
      if (kind == "train-rows") {
        expect_outcome(block.where(), kPartnerLine, kTrainFrameHead + block.body + kFrameTail,
                       *claimed, block.info);
      }
    }
    for (const auto& [name, pair] : pairs) {
      const std::string where = page.filename().string() + " pair \"" + name + "\"";
      ASSERT_TRUE(pair.line && pair.train) << where << ": a line-file and a train-file are needed";
      const std::optional<int> claimed = claimed_outcome(pair.line->info);
      ASSERT_EQ(claimed, claimed_outcome(pair.train->info)) << where << ": outcomes differ";
      expect_outcome(where, pair.line->body, pair.train->body, *claimed, pair.line->info);
    }
  }
  EXPECT_GT(examples, 0) << "no example found: is the info string scheme still the same?";
}

TEST(DocExamples, ShellExamplesRun) {
  const std::string bin_dir = std::filesystem::path(SC_EXECUTABLE).parent_path().string();
  for (const auto& page : pages()) {
    for (const Block& block : fenced_blocks(page)) {
      if (block.info != std::vector<std::string>{"sh", "tested"}) continue;
      TempDir dir;
      // Commands may name the programs as the build leaves them.
      std::filesystem::create_directories(dir / "build/release");
      std::filesystem::create_directory_symlink(bin_dir, dir / "build/release/bin");
      write_bytes(dir / "example.sh", "set -e\n" + block.body);
      const ProcessResult run =
          run_command("cd " + sc::testing::quoted(dir.path()) + " && env -u DISPLAY PATH=" +
                      sc::testing::quoted(bin_dir) + ":\"$PATH\" sh example.sh");
      EXPECT_EQ(run.status, 0) << block.where() << "\n" << run.out << run.err;
    }
  }
}

// The commands of a console block, each with the lines it prints.
struct ConsoleCommand {
  int line = 0;
  std::string command;
  std::vector<std::string> prints;
};

std::vector<ConsoleCommand> console_commands(const Block& block) {
  std::vector<ConsoleCommand> commands;
  std::istringstream in(block.body);
  int line = block.line;
  for (std::string text; std::getline(in, text);) {
    ++line;
    if (text.starts_with("$ ")) {
      commands.push_back({line, text.substr(2), {}});
    } else if (!commands.empty()) {
      commands.back().prints.push_back(text);
    }
  }
  return commands;
}

std::vector<std::string> printed_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// `got` matches `expected`, where a line "..." stands for any number of lines.
bool lines_match(std::span<const std::string> expected, std::span<const std::string> got) {
  if (expected.empty()) return got.empty();
  if (expected[0] == "...") {
    for (size_t skip = 0; skip <= got.size(); ++skip) {
      if (lines_match(expected.subspan(1), got.subspan(skip))) return true;
    }
    return false;
  }
  return !got.empty() && expected[0] == got[0] && lines_match(expected.subspan(1), got.subspan(1));
}

TEST(DocExamples, ConsoleSessionsPrintWhatTheyShow) {
  const std::string bin_dir = std::filesystem::path(SC_EXECUTABLE).parent_path().string();
  for (const auto& page : pages()) {
    TempDir dir;
    for (const Block& block : fenced_blocks(page)) {
      if (block.info != std::vector<std::string>{"console"}) continue;
      for (const ConsoleCommand& c : console_commands(block)) {
        write_bytes(dir / "command.sh", c.command + "\n");
        const ProcessResult run =
            run_command("cd " + sc::testing::quoted(dir.path()) + " && env -u DISPLAY PATH=" +
                        sc::testing::quoted(bin_dir) + ":\"$PATH\" sh command.sh 2>&1");
        const std::vector<std::string> got = printed_lines(run.out);
        EXPECT_TRUE(lines_match(c.prints, got))
            << page.filename().string() << ":" << c.line << ": " << c.command << "\nprints:\n"
            << run.out;
      }
    }
  }
}

}  // namespace
}  // namespace sc::testing
