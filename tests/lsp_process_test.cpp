// The language server as an editor starts it: `scenario-compiler lsp`, a
// process of its own that reads its client on standard input.
#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>

#include "process.h"

namespace sc::testing {
namespace {

using nlohmann::json;

std::string frame(const json& message) {
  const std::string body = message.dump();
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

json request(int id, const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

json notification(const std::string& method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string uri_of(const std::filesystem::path& file) {
  return "file://" + file.string();
}

std::string open(const std::filesystem::path& file, const std::string& text) {
  return frame(notification(
      "textDocument/didOpen",
      {{"textDocument",
        {{"uri", uri_of(file)}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}}));
}

// `exit` ends the server within a second while it checks a 1000 km pair whose
// route length lost a digit (seconds of compiles), and nothing is published
// after it.
TEST(LanguageServerProcess, ExitDuringALongCheckEndsTheServerWithinASecond) {
  // Under Wine the end of a process goes through the Wine server, whose time
  // is its own.
  if (testing_windows_build()) GTEST_SKIP() << "process end under Wine is not the program's";
  const TempDir dir;
  const std::filesystem::path line = dir / "Gen_linea.txt";
  const std::filesystem::path train = dir / "Gen_T1-.txt";
  const ProcessResult made = run_command(std::string(SC_GENERATE_ROUTE) + " 1000000 " +
                                         quoted(line) + " " + quoted(train));
  ASSERT_EQ(made.status, 0) << made.err;
  std::string line_text = read_bytes(line);
  const std::string length = "percorso, 1000000";
  ASSERT_NE(line_text.find(length), std::string::npos);
  line_text.replace(line_text.find(length), length.size(), "percorso, 100000");

  Child server({SC_EXECUTABLE, "lsp"}, ChildInput::kFromTest);
  server.write_input(frame(request(1, "initialize", {{"capabilities", json::object()}})) +
                     open(line, line_text) + open(train, read_bytes(train)) +
                     frame(request(2, "textDocument/hover",
                                   {{"textDocument", {{"uri", uri_of(line)}}},
                                    {"position", {{"line", 1}, {"character", 2}}}})));
  // Answered once the server has both files: their check starts then.
  server.wait_for_output_text(R"("id":2)");
  server.write_input(frame(request(3, "shutdown", nullptr)) +
                     frame(notification("exit", json::object())));
  EXPECT_EQ(server.wait(std::chrono::seconds(1)), 0) << server.err();
  EXPECT_EQ(server.out().find("publishDiagnostics"), std::string::npos)
      << "the check went on past exit";
}

}  // namespace
}  // namespace sc::testing
