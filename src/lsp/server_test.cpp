#include "lsp/server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <thread>

#include "check/check.h"
#include "check/encoding.h"
#include "lsp/documents.h"
#include "lsp/editor_text.h"
#include "lsp/features.h"
#include "lsp/value_notes.h"
#include "route_generator.h"
#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc::lsp {
namespace {

using nlohmann::json;

constexpr std::string_view kLineUri = "file:///pair/T_linea.txt";
constexpr std::string_view kTrainUri = "file:///pair/T_R1-.txt";

// A gradient off the grid, a misspelt keyword, a text cut at a comma, a
// signal in the cell that the text board holds, and a right curve that turns
// left.
constexpr std::string_view kLineText =
    "[generale]\n"
    "lunghezza percorso, 12000\n"
    "[pendenze]\n"
    "pendenza, 1234, 5\n"
    "pendenzza, 2000, 0\n"
    "indicatore cartello, 2000, VIA ROMA, 3\n"
    "curva destra 4, 3000, 200\n"
    "[fine]\n";
constexpr std::string_view kTrainText =
    "[generale]\n"
    "velocita, 0, 80\n"
    "aderenza, 0, 50\n"
    "[segnali]\n"
    "segnale, 2000, 1, 4, 1, 1, 0, 2, 2,1,1, 0\n"
    "stazione, 0, 12, 600, 0, 0, 0, 1,1,0, 4,1,1, 1, 8,42, 0, VARDEO\n"
    "[fine]\n";

std::string frame(const json& message) {
  const std::string body = message.dump();
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

json request(int id, const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}

json notification(const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string initialize(int id = 1) {
  return frame(request(id, "initialize", {{"capabilities", json::object()}}));
}

std::string open(std::string_view uri, std::string_view text) {
  return frame(
      notification("textDocument/didOpen",
                   {{"textDocument",
                     {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}}));
}

json at(std::string_view uri, int line, int character) {
  return {{"textDocument", {{"uri", uri}}},
          {"position", {{"line", line}, {"character", character}}}};
}

struct Session {
  std::vector<json> messages;
  int status = -1;
  std::string log;

  const json* response(int id) const {
    for (const json& m : messages) {
      if (m.contains("id") && m["id"] == id) return &m;
    }
    return nullptr;
  }
  // The last diagnostics published for `uri`.
  json diagnostics(std::string_view uri) const {
    json found;
    for (const json& m : messages) {
      if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri) {
        found = m["params"]["diagnostics"];
      }
    }
    return found;
  }
  const json* diagnostic(std::string_view uri, std::string_view code) const {
    static json kept;
    for (const json& d : diagnostics(uri)) {
      if (d["code"] == code) {
        kept = d;
        return &kept;
      }
    }
    return nullptr;
  }
};

CompileTexts compile_as_check_does(const std::filesystem::path& line,
                                   const std::filesystem::path& train, const StopFlag& stop = {}) {
  return compile_named_after(line, train, {}, {}, ProfileChoice::kBuild, stop);
}

// Runs the server on `input` to its end; checks run without delay.
Session run(const std::string& input, CompilerFor compiler = compile_as_check_does) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream log;
  ServerOptions options;
  options.debounce = std::chrono::milliseconds(0);
  options.compiler = std::move(compiler);
  Session session;
  session.status = serve(in, out, log, options);
  session.log = log.str();
  std::istringstream written(out.str());
  FrameReader reader(written);
  for (Frame f = reader.next(); f.kind == Frame::Kind::kMessage; f = reader.next()) {
    session.messages.push_back(json::parse(f.body));
  }
  return session;
}

std::string pair_session() {
  return initialize() + open(kLineUri, kLineText) + open(kTrainUri, kTrainText);
}

TEST(LspProtocol, AnswersEachMalformedMessageAndGoesOn) {
  const struct {
    const char* what;
    std::string input;
    int code;
  } cases[] = {
      {"no Content-Length", "Content-Type: x\r\n\r\n", error_code::kParseError},
      {"a length that is no number", "Content-Length: many\r\n\r\n{}", error_code::kParseError},
      {"a body that is not JSON", "Content-Length: 5\r\n\r\n{{{{{", error_code::kParseError},
      {"a JSON array", "Content-Length: 2\r\n\r\n[]", error_code::kInvalidRequest},
      {"an object without a method", frame({{"jsonrpc", "2.0"}, {"id", 7}}),
       error_code::kInvalidRequest},
      {"a method that is no string", frame({{"jsonrpc", "2.0"}, {"id", 7}, {"method", 3}}),
       error_code::kInvalidRequest},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Session s = run(c.input + initialize(2));
    ASSERT_GE(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[0]["error"]["code"], c.code);
    ASSERT_NE(s.response(2), nullptr);
    EXPECT_TRUE(s.response(2)->contains("result"));
    EXPECT_EQ(s.status, 0);
    EXPECT_FALSE(s.log.empty());
  }
}

TEST(LspProtocol, InputThatEndsInsideAMessageEndsTheServerCleanly) {
  for (const std::string tail : {"Content-Length: 50\r\n\r\n{\"jsonrpc\"", "Content-Len",
                                 "Content-Length: 1099511627776\r\n\r\n{}"}) {
    SCOPED_TRACE(tail);
    const Session s = run(initialize() + tail);
    EXPECT_EQ(s.status, 0);
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_TRUE(s.messages[0].contains("result"));
    EXPECT_EQ(s.messages[1]["error"]["code"], error_code::kParseError);
  }
}

TEST(LspProtocol, RequestsOutOfOrderAndUnknownMethods) {
  const Session s = run(
      frame(request(1, "textDocument/hover", at(kLineUri, 0, 0))) + initialize(2) + initialize(3) +
      frame(request(4, "no/such/method")) + frame(notification("no/such/notification")) +
      frame(request(5, "textDocument/hover", {{"position", 3}})) + frame(request(6, "shutdown")) +
      frame(request(7, "textDocument/hover", at(kLineUri, 0, 0))) + frame(notification("exit")) +
      frame(request(8, "shutdown")));
  EXPECT_EQ((*s.response(1))["error"]["code"], error_code::kServerNotInitialized);
  EXPECT_TRUE(s.response(2)->contains("result"));
  EXPECT_EQ((*s.response(3))["error"]["code"], error_code::kRequestFailed);
  EXPECT_EQ((*s.response(4))["error"]["code"], error_code::kMethodNotFound);
  EXPECT_EQ((*s.response(5))["error"]["code"], error_code::kInvalidParams);
  EXPECT_TRUE((*s.response(6))["result"].is_null());
  EXPECT_EQ((*s.response(7))["error"]["code"], error_code::kInvalidRequest);
  EXPECT_EQ(s.response(8), nullptr) << "nothing is read after exit";
  EXPECT_EQ(s.status, 0);
}

TEST(LspProtocol, ACheckThatFailsIsLoggedAndTheServerGoesOn) {
  const auto failing = [](const std::filesystem::path&, const std::filesystem::path&,
                          const StopFlag&) {
    return CompileTexts([](const std::string&, const std::string&) -> CompileErrors {
      throw std::runtime_error("out of cells");
    });
  };
  const Session s =
      run(pair_session() + frame(request(2, "textDocument/definition", at(kTrainUri, 4, 10))) +
              frame(request(3, "textDocument/hover", at(kLineUri, 3, 2))),
          failing);
  EXPECT_THAT(s.log, testing::HasSubstr("failed: out of cells"));
  EXPECT_TRUE((*s.response(2))["result"].is_null());
  EXPECT_TRUE((*s.response(3))["result"].contains("contents"));
  EXPECT_EQ(s.diagnostics(kLineUri), json::array());
}

TEST(LspProtocol, ExitWithoutShutdownIsStatusOne) {
  EXPECT_EQ(run(initialize() + frame(notification("exit"))).status, 1);
}

TEST(LspDiagnostics, BothFilesOfThePairGetWhatCheckGives) {
  const Session s = run(pair_session());
  const json* off_grid = s.diagnostic(kLineUri, "off-grid");
  ASSERT_NE(off_grid, nullptr);
  EXPECT_EQ((*off_grid)["severity"], 2);
  EXPECT_EQ((*off_grid)["range"]["start"], json({{"line", 3}, {"character", 10}}));
  EXPECT_EQ((*off_grid)["range"]["end"], json({{"line", 3}, {"character", 14}}));
  EXPECT_NE(s.diagnostic(kLineUri, "unknown-keyword"), nullptr);
  EXPECT_NE(s.diagnostic(kLineUri, "text-cut-at-comma"), nullptr);

  const json* taken = s.diagnostic(kTrainUri, "signal-cell-taken");
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ((*taken)["severity"], 1);
  EXPECT_THAT((*taken)["message"].get<std::string>(), testing::StartsWith("error 16: "));
  const json& related = (*taken)["relatedInformation"];
  ASSERT_EQ(related.size(), 2u);
  EXPECT_EQ(related[1]["location"]["uri"], kLineUri);
  EXPECT_EQ(related[1]["location"]["range"]["start"]["line"], 5);
}

TEST(LspDiagnostics, AChangeIsCheckedAgain) {
  const json change = {
      {"textDocument", {{"uri", kLineUri}, {"version", 2}}},
      {"contentChanges",
       {{{"range",
          {{"start", {{"line", 3}, {"character", 10}}}, {"end", {{"line", 3}, {"character", 14}}}}},
         {"text", "1250"}}}}};
  const Session s = run(pair_session() + frame(notification("textDocument/didChange", change)));
  EXPECT_EQ(s.diagnostic(kLineUri, "off-grid"), nullptr);
  EXPECT_NE(s.diagnostic(kLineUri, "unknown-keyword"), nullptr);
}

TEST(LspDiagnostics, ATrainFileAloneIsToldItsLineFileIsMissing) {
  const Session s = run(initialize() + open("file:///alone/X_R1-.txt", kTrainText));
  ASSERT_NE(s.diagnostic("file:///alone/X_R1-.txt", "no-line-file"), nullptr);
}

TEST(LspDiagnostics, ACharacterOutsideWindows1252IsReportedWhereItStands) {
  const Session s =
      run(initialize() + open("file:///enc/E_linea.txt",
                              "[generale]\nlunghezza percorso, 12000\n[x]\nindicatore cartello, "
                              "0, \xE2\x9C\x93 ok\n[fine]\n"));
  const json* encoding = s.diagnostic("file:///enc/E_linea.txt", "encoding");
  ASSERT_NE(encoding, nullptr);
  EXPECT_EQ((*encoding)["range"]["start"], json({{"line", 3}, {"character", 24}}));
}

TEST(LspDiagnostics, ACharacterOutsideWindows1252KeepsItsFaultToItsOwnFile) {
  std::string line(kLineText);
  line.replace(line.find("VIA ROMA"), 8, "VIA \xE2\x9C\x93 ROMA");
  std::string train(kTrainText);
  train.replace(train.find("VARDEO"), 6, "VARDEO \xE2\x9C\x93");
  const struct {
    const char* what;
    std::string line;
    std::string train;
    std::vector<std::string> line_codes;
    std::vector<std::string> train_codes;
  } cases[] = {
      {"in the line file", line, std::string(kTrainText), {"encoding"}, {"signal-cell-taken"}},
      {"in the train file", std::string(kLineText), train, {"off-grid"}, {"encoding"}},
      {"in both", line, train, {"encoding"}, {"encoding"}},
  };
  const auto codes = [](const json& diagnostics) {
    std::vector<std::string> out;
    for (const json& d : diagnostics) out.push_back(d["code"]);
    return out;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Session s = run(initialize() + open(kLineUri, c.line) + open(kTrainUri, c.train));
    const std::vector<std::string> line_codes = codes(s.diagnostics(kLineUri));
    const std::vector<std::string> train_codes = codes(s.diagnostics(kTrainUri));
    for (const std::string& code : c.line_codes) EXPECT_THAT(line_codes, testing::Contains(code));
    for (const std::string& code : c.train_codes) {
      EXPECT_THAT(train_codes, testing::Contains(code));
    }
    // The file with the fault shows that fault alone.
    if (c.line_codes == std::vector<std::string>{"encoding"}) {
      EXPECT_THAT(line_codes, testing::ElementsAre("encoding"));
    }
    if (c.train_codes == std::vector<std::string>{"encoding"}) {
      EXPECT_THAT(train_codes, testing::ElementsAre("encoding"));
    }
  }
}

TEST(LspDiagnostics, APairNamedInTheSettingsIsCheckedTogether) {
  const json pairs = {{"pairs", {{{"line", "percorso.txt"}, {"train", "sub/R101.txt"}}}}};
  const std::string line_uri = "file:///w/percorso.txt";
  const std::string train_uri = "file:///w/sub/R101.txt";
  const std::string documents = open(line_uri, kLineText) + open(train_uri, kTrainText);
  const auto initialize_in_w = [](const json& options) {
    return frame(request(1, "initialize",
                         {{"rootUri", "file:///w"},
                          {"capabilities", json::object()},
                          {"initializationOptions", options}}));
  };
  const std::string at_initialize = initialize_in_w(pairs) + documents;
  const std::string later = initialize_in_w(json::object()) + documents +
                            frame(notification("workspace/didChangeConfiguration",
                                               {{"settings", {{"scenarioCompiler", pairs}}}}));
  for (const std::string& input : {at_initialize, later}) {
    const Session s = run(input);
    EXPECT_NE(s.diagnostic(line_uri, "off-grid"), nullptr);
    EXPECT_NE(s.diagnostic(train_uri, "signal-cell-taken"), nullptr);
  }
}

TEST(LspFeatures, HoverNamesTheRowAndTheValue) {
  const Session s =
      run(pair_session() + frame(request(2, "textDocument/hover", at(kLineUri, 3, 2))) +
          frame(request(3, "textDocument/hover", at(kLineUri, 3, 12))) +
          frame(request(4, "textDocument/hover", at(kTrainUri, 5, 20))) +
          frame(request(5, "textDocument/hover", at(kLineUri, 2, 2))));
  const std::string keyword = (*s.response(2))["result"]["contents"]["value"];
  EXPECT_THAT(keyword, testing::HasSubstr("**gradient** row"));
  EXPECT_THAT(keyword, testing::HasSubstr("1. position, metres"));
  EXPECT_THAT(keyword, testing::HasSubstr("docs/line-file.md#gradient-pendenza"));
  const std::string position = (*s.response(3))["result"]["contents"]["value"];
  EXPECT_THAT(position, testing::HasSubstr("value 1 of 2 of a gradient row"));
  EXPECT_THAT(position, testing::HasSubstr("1234 m lands in cell 25, which holds metres 1250"));
  const std::string length = (*s.response(4))["result"]["contents"]["value"];
  EXPECT_THAT(length, testing::HasSubstr("**length**: value 3 of 17 of a station row"));
  EXPECT_TRUE((*s.response(5))["result"].is_null()) << "a section line has nothing to say";
}

// The hover text at a place of a document opened alone.
std::string hover_at(std::string_view uri, std::string_view text, int line, int character) {
  const Session s = run(initialize() + open(uri, text) +
                        frame(request(2, "textDocument/hover", at(uri, line, character))));
  const json& result = (*s.response(2))["result"];
  return result.is_null() ? "" : result["contents"]["value"].get<std::string>();
}

TEST(LspFeatures, HoverDecodesCurvesStationTypesAndUnits) {
  const auto line_row = [](std::string row) {
    return "[generale]\nlunghezza percorso, 12000\n[x]\n" + row + "\n[fine]\n";
  };
  const auto train_row = [](std::string row) { return "[generale]\n[x]\n" + row + "\n[fine]\n"; };
  const auto station = [](std::string type) {
    return "stazione, 1000, " + type + ", 300, 0, 0, 0, 0,0,0, 0,0,0, 30, 8,0,0, X";
  };
  const struct {
    bool line;
    std::string text;
    int line_at;
    int character;
    std::vector<std::string> says;
  } cases[] = {
      {true,
       line_row("curvas4, 1000, 200"),
       3,
       2,
       {"class 4, turning left", "0.001 radians per metre", "a radius of 1000 m",
        "for curves of 667 m to 1429 m"}},
      {true,
       line_row("curvad1, 1000, 200"),
       3,
       2,
       {"class 1, turning right", "a radius of 10000 m", "6667 m and wider"}},
      {true,
       line_row("CURVAD6, 1000, 200"),
       3,
       2,
       {"class 6, turning right", "a radius of 333 m", "400 m and tighter"}},
      {true, line_row("curvad250, 1000, 200"), 3, 2, {"class 2, turning right", "5000 m"}},
      {true, line_row("curva destra 5, 1000, 200"), 3, 2, {"class 5, turning left"}},
      {true, line_row("curvad, 1000, 200"), 3, 2, {"no class digit", "error 103"}},
      {true, line_row("pendenza, 1000, 5"), 3, 17, {"- unit: ‰", "32-bit whole number (Long)"}},
      {true, line_row("montagna, 1000, 1500, 1"), 3, 22, {"- unit: none, a plain number"}},
      {false, train_row("velocita, 0, 80"), 2, 13, {"- unit: km/h"}},
      {false, train_row("orologio, 8, 41, 0"), 2, 10, {"- unit: hours", "16-bit whole number"}},
      {false,
       train_row(station("12")),
       2,
       17,
       {"8-bit whole number (Byte), 0 to 255", "type 12: stop:", "four approach marks"}},
      {false, train_row(station("5")), 2, 17, {"type 5: stop:", "no approach marks"}},
      {false, train_row(station("7")), 2, 17, {"type 7: stop:", "position + length"}},
      {false, train_row(station("28")), 2, 17, {"type 28: pass:", "no stop cell"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text =
        hover_at(c.line ? kLineUri : kTrainUri, c.text, c.line_at, c.character);
    for (const std::string& part : c.says) EXPECT_THAT(text, testing::HasSubstr(part));
    EXPECT_THAT(text, testing::Not(testing::HasSubstr("a Integer")));
  }
}

// A snippet as inserted when each placeholder keeps its default and each
// choice its first option.
std::string expanded(const std::string& snippet) {
  std::string out;
  for (size_t i = 0; i < snippet.size(); ++i) {
    if (snippet.compare(i, 2, "${") != 0) {
      out += snippet[i];
      continue;
    }
    const size_t end = snippet.find('}', i);
    const size_t colon = snippet.find(':', i);
    const size_t bar = snippet.find('|', i);
    if (colon < end) {
      out += snippet.substr(colon + 1, end - colon - 1);
    } else {
      const size_t first_end = snippet.find_first_of(",|", bar + 1);
      out += snippet.substr(bar + 1, first_end - bar - 1);
    }
    i = end;
  }
  return out;
}

TEST(LspFeatures, EveryRowSnippetCompilesInItsSection) {
  for (const RowKindInfo& kind : row_kinds()) {
    const std::string row = expanded(row_snippet(kind));
    SCOPED_TRACE(row);
    const bool general = section_of(kind.kind) == Section::kGeneral;
    const std::string section =
        general ? "" : std::string(section_name(section_of(kind.kind))) + "\n";
    std::string line = "[generale]\nlunghezza percorso, 12000\n";
    std::string train = "[generale]\n";
    std::string& file = kind.file == TextFile::kLine ? line : train;
    file += section + row + "\n";
    line += "[fine]\n";
    train += "[vel_limite]\nvelocita, 0, 80\n[fine]\n";
    const Analysis analysis =
        analyse_pair(line, train, compile_as_check_does("S_linea.txt", "S_R1-.txt"));
    for (const Problem& problem : analysis.problems) {
      EXPECT_FALSE(problem.error) << problem.message;
    }
  }
  EXPECT_EQ(expanded(row_snippet(row_kind(RowKind::kCurve))), "curvad1, 1000, 200");
}

TEST(LspFeatures, KeywordsMatchAsTheCompilersMatchThem) {
  constexpr std::string_view kText =
      "[generale]\n"
      "LUNGHEZZA PERCORSO, 12000\n"
      "PROGRESSIVA chilometrica tre, 0, 0, 0\n"
      "progressiva chilometrica tre, 0, 0, 0\n"
      "[pendenze]\n"
      "PenDenza, 50, 1\n"
      "pendenza, 100, 1\n"
      "[fine]\n";
  struct Case {
    int line;
    std::string_view row;  // "" when the keyword names no kind there
  };
  const Case cases[] = {{1, "**route length** row"},
                        {2, ""},
                        {3, "**kilometre reference** row"},
                        {5, "**gradient** row"},
                        {6, "**gradient** row"}};
  std::string input = initialize() + open(kLineUri, kText);
  for (const Case& c : cases)
    input += frame(request(c.line + 10, "textDocument/hover", at(kLineUri, c.line, 1)));
  const Session s = run(input);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const json& result = (*s.response(c.line + 10))["result"];
    if (c.row.empty()) {
      EXPECT_TRUE(result.is_null());
    } else {
      EXPECT_THAT(std::string(result["contents"]["value"]), testing::HasSubstr(c.row));
    }
  }
}

// A document being typed: the value that cannot be read is named where it
// stands, and the rows after it keep their outline.
TEST(LspFeatures, ARowThatCannotBeReadKeepsTheOutlineOfTheRest) {
  constexpr std::string_view kText =
      "[generale]\n"
      "[segnali]\n"
      "segnale, 2000, x, 4, 1, 1, 0, 2, 2,1,1, 0\n"
      "stazione, 0, 12, 600, 0, 0, 0, 1,1,0, 4,1,1, 1, 8,42, 0, VARDEO\n"
      "[fine]\n";
  const Session s = run(
      initialize() + open(kTrainUri, kText) +
      frame(request(2, "textDocument/hover", at(kTrainUri, 2, 15))) +
      frame(request(3, "textDocument/documentSymbol", {{"textDocument", {{"uri", kTrainUri}}}})));
  const json& hover = (*s.response(2))["result"];
  EXPECT_THAT(std::string(hover["contents"]["value"]),
              testing::HasSubstr("\"x\" is not a whole number, but it is read as value 2 (sx)"));
  EXPECT_EQ(hover["range"]["start"], json({{"line", 2}, {"character", 15}}));
  EXPECT_EQ(hover["range"]["end"], json({{"line", 2}, {"character", 16}}));
  std::vector<std::string> names;
  for (const json& section : (*s.response(3))["result"]) {
    for (const json& child : section["children"]) names.push_back(child["name"]);
  }
  EXPECT_THAT(names, testing::ElementsAre("signal at 2000 m", "station at 0 m: VARDEO"));
}

TEST(LspFeatures, EveryValueOfTheRowKindsTableHasItsNote) {
  for (const RowKindInfo& kind : row_kinds()) {
    SCOPED_TRACE(kind.keyword);
    EXPECT_EQ(value_notes(kind.kind).size(), kind.values.size());
  }
}

std::vector<std::string> labels(const json& items) {
  std::vector<std::string> out;
  for (const json& item : items) out.push_back(item["label"]);
  return out;
}

TEST(LspFeatures, CompletionOffersWhatTheSectionAccepts) {
  const Session s =
      run(pair_session() + frame(request(2, "textDocument/completion", at(kLineUri, 1, 0))) +
          frame(request(3, "textDocument/completion", at(kLineUri, 4, 3))) +
          frame(request(4, "textDocument/completion", at(kLineUri, 3, 12))) +
          frame(request(5, "textDocument/completion", at(kTrainUri, 5, 0))));
  const auto header = labels((*s.response(2))["result"]);
  EXPECT_THAT(header, testing::Contains("lunghezza percorso"));
  EXPECT_THAT(header, testing::Not(testing::Contains("pendenza")));
  const json& rows = (*s.response(3))["result"];
  EXPECT_THAT(labels(rows), testing::IsSupersetOf({"pendenza", "[montagne]", "montagna row"}));
  for (const json& item : rows) {
    if (item["label"] != "pendenza row") continue;
    EXPECT_EQ(item["insertTextFormat"], 2);
    EXPECT_EQ(item["textEdit"]["newText"], "pendenza, ${1:1000}, ${2:5}");
  }
  EXPECT_TRUE((*s.response(4))["result"].empty()) << "no keyword after the first comma";
  std::vector<std::string> in_signals;
  for (const json& item : (*s.response(5))["result"]) {
    if (item["kind"] == 14) in_signals.push_back(item["sortText"]);
  }
  ASSERT_FALSE(in_signals.empty());
  EXPECT_EQ(*std::min_element(in_signals.begin(), in_signals.end()), "0segnale")
      << "the rows of the section the line stands in come first";
}

TEST(LspFeatures, SymbolsOutlineSectionsAndObjects) {
  const Session s = run(pair_session() + frame(request(2, "textDocument/documentSymbol",
                                                       {{"textDocument", {{"uri", kTrainUri}}}})));
  const json& symbols = (*s.response(2))["result"];
  std::vector<std::string> names;
  for (const json& section : symbols) {
    names.push_back(section["name"]);
    for (const json& child : section["children"]) names.push_back(child["name"]);
  }
  EXPECT_THAT(names, testing::ElementsAre("[generale]", "[segnali]", "signal at 2000 m",
                                          "station at 0 m: VARDEO", "[fine]"));
}

TEST(LspFeatures, DefinitionLeadsFromATakenCellToTheRowHoldingIt) {
  const Session s =
      run(pair_session() + frame(request(2, "textDocument/definition", at(kTrainUri, 4, 10))) +
          frame(request(3, "textDocument/definition", at(kTrainUri, 1, 0))));
  const json& locations = (*s.response(2))["result"];
  ASSERT_EQ(locations.size(), 1u);
  EXPECT_EQ(locations[0]["uri"], kLineUri);
  EXPECT_EQ(locations[0]["range"]["start"], json({{"line", 5}, {"character", 0}}));
  EXPECT_TRUE((*s.response(3))["result"].is_null());
}

TEST(LspFeatures, CodeActionsMakeTheFixesTheWarningsName) {
  const auto actions_at = [](int id, int line) {
    return frame(request(id, "textDocument/codeAction",
                         {{"textDocument", {{"uri", kLineUri}}},
                          {"range",
                           {{"start", {{"line", line}, {"character", 0}}},
                            {"end", {{"line", line}, {"character", 40}}}}},
                          {"context", {{"diagnostics", json::array()}}}}));
  };
  const Session s = run(pair_session() + actions_at(2, 3) + actions_at(3, 4) + actions_at(4, 5) +
                        actions_at(5, 6));
  const auto edits_of = [&](int id) {
    const json& actions = (*s.response(id))["result"];
    EXPECT_EQ(actions.size(), 1u);
    return actions.empty() ? json::array() : actions[0]["edit"]["changes"][std::string(kLineUri)];
  };
  struct Edit {
    std::string text;
    int start;
    int end;
  };
  const struct {
    int id;
    std::vector<Edit> edits;
  } expected[] = {{2, {{"1250", 10, 14}}},
                  {3, {{"pendenza", 0, 9}}},
                  {4, {{"\"", 27, 27}, {"\"", 38, 38}}},
                  {5, {{"curvad4", 0, 14}}}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.id);
    const json edits = edits_of(e.id);
    ASSERT_EQ(edits.size(), e.edits.size());
    for (size_t i = 0; i < edits.size(); ++i) {
      EXPECT_EQ(edits[i]["newText"], e.edits[i].text);
      EXPECT_EQ(edits[i]["range"]["start"]["character"], e.edits[i].start);
      EXPECT_EQ(edits[i]["range"]["end"]["character"], e.edits[i].end);
    }
  }
  EXPECT_EQ((*s.response(3))["result"][0]["title"], "Change \"pendenzza\" to \"pendenza\"");
  EXPECT_EQ((*s.response(4))["result"][0]["title"], "Insert \"\"\" and insert \"\"\"");
}

// The quick fixes come from the findings' fix-its, never from their words:
// with every message reworded, each fix stays what it was.
TEST(LspFeatures, AFixStillAppliesToAWarningReworded) {
  const std::vector<Finding> findings =
      check_sources(std::string(kLineText), std::string(kTrainText), {},
                    compile_as_check_does("T_linea.txt", "T_R1-.txt"));
  const LineIndex lines(kLineText);
  const auto fixes = [&](bool reworded) {
    std::vector<Published> published;
    for (Finding finding : findings) {
      if (finding.source != Source::kLineFile) continue;
      if (reworded) finding.message = "reworded";
      const Problem problem = problem_of(finding);
      published.push_back({range_of(problem.at, problem.end), problem, {}});
    }
    json made = json::array();
    for (const json& action :
         code_actions(std::string(kLineUri), lines, published, {{0, 0}, {lines.line_count(), 0}})) {
      made.push_back({action["title"], action["edit"]});
    }
    return made;
  };
  const json original = fixes(false);
  EXPECT_EQ(original.size(), 4u);
  EXPECT_EQ(fixes(true), original);
}

TEST(LspFeatures, ADocumentThatIsNoScenarioFileGetsNothingAndHarmsNothing) {
  const std::string uri = "file:///notes/readme.md";
  const Session s =
      run(initialize() + open(uri, "pendenza, 1, 2\n[generale]\n") +
          frame(request(2, "textDocument/hover", at(uri, 0, 1))) +
          frame(request(3, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}})) +
          frame(request(4, "textDocument/hover", at("untitled:Untitled-1", 0, 0))));
  EXPECT_TRUE((*s.response(2))["result"].is_null());
  EXPECT_TRUE((*s.response(3))["result"].empty());
  EXPECT_TRUE((*s.response(4))["result"].is_null());
  EXPECT_TRUE(s.diagnostics(uri).is_null());
}

TEST(LspFeatures, RoutesOf1000KmAreCheckedAndServed) {
  const RouteTexts route = generate_route(1000000);
  const std::string line_uri = "file:///big/Gen_linea.txt";
  const std::string train_uri = "file:///big/Gen_T1-.txt";
  const json change = {
      {"textDocument", {{"uri", train_uri}, {"version", 2}}},
      {"contentChanges",
       {{{"range",
          {{"start", {{"line", 2}, {"character", 0}}}, {"end", {{"line", 2}, {"character", 0}}}}},
         {"text", "pendenza\r\n"}}}}};
  const Session s = run(
      initialize() + open(line_uri, route.line) + open(train_uri, route.train) +
      frame(notification("textDocument/didChange", change)) +
      frame(request(2, "textDocument/hover", at(line_uri, 20000, 2))) +
      frame(request(3, "textDocument/documentSymbol", {{"textDocument", {{"uri", train_uri}}}})) +
      frame(request(4, "textDocument/completion", at(train_uri, 3, 0))));
  for (int id = 2; id <= 4; ++id) ASSERT_TRUE(s.response(id)->contains("result")) << id;
  EXPECT_GT((*s.response(3))["result"].size(), 0u);
  EXPECT_TRUE(s.diagnostics(line_uri).is_array());
  EXPECT_NE(s.diagnostic(train_uri, "unknown-keyword"), nullptr);
}

// A caller without a thread (the web page's worker) keeps the debounce on a
// timer of its own: it asks when the next check is due and checks what is due.
TEST(LspDiagnostics, ACallerWithoutAThreadChecksOnItsOwnTimer) {
  for (const auto debounce : {std::chrono::milliseconds(0), std::chrono::milliseconds(3600000)}) {
    SCOPED_TRACE(debounce.count());
    std::vector<json> sent;
    std::ostringstream log;
    ServerOptions options;
    options.debounce = debounce;
    options.compiler = compile_as_check_does;
    Server server(
        options, [&](const std::string& body) { sent.push_back(json::parse(body)); }, log);
    EXPECT_FALSE(server.time_to_next_check());
    const auto receive = [&](const json& message) {
      server.receive({Frame::Kind::kMessage, message.dump(), {}});
    };
    receive(request(1, "initialize", {{"capabilities", json::object()}}));
    for (const auto& [uri, text] :
         {std::pair(kLineUri, kLineText), std::pair(kTrainUri, kTrainText)}) {
      receive(notification(
          "textDocument/didOpen",
          {{"textDocument",
            {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}}));
    }
    const auto due = server.time_to_next_check();
    ASSERT_TRUE(due);
    EXPECT_LE(*due, debounce);
    EXPECT_GE(*due, debounce / 2);
    server.analyse_due();
    size_t published = 0;
    for (const json& m : sent)
      published += m.value("method", "") == "textDocument/publishDiagnostics";
    EXPECT_EQ(published, debounce.count() == 0 ? 2u : 0u);
    EXPECT_EQ(server.time_to_next_check().has_value(), debounce.count() != 0);
  }
}

TEST(LspDocuments, IncrementalChangesCountUtf16Units) {
  DocumentStore store;
  store.open("u",
             "ab\xC3\xA8"
             "c\n\xF0\x9F\x98\x80x\r\nlast");
  const TextChange changes[] = {
      {Range{{0, 3}, {0, 4}}, "C"},       // after a two-byte character
      {Range{{1, 2}, {1, 3}}, "X"},       // after a surrogate pair
      {Range{{2, 4}, {9, 0}}, "!"},       // a range past the end is clamped
      {Range{{0, 0}, {0, 0}}, "start "},  // insertion
  };
  ASSERT_TRUE(store.change("u", changes));
  EXPECT_EQ(*store.text("u"),
            "start ab\xC3\xA8"
            "C\n\xF0\x9F\x98\x80X\r\nlast!");
  EXPECT_FALSE(store.change("not open", changes));
}

TEST(LspDocuments, PairsByNameOrBySettings) {
  const std::filesystem::path known[] = {"/d/Mia_Linea_linea.txt", "/d/Mia_Linea_R101-.txt",
                                         "/d/other.txt", "/e/Mia_Linea_R9-.txt"};
  const FilePair named{"/d/Mia_Linea_linea.txt", "/d/Mia_Linea_R101-.txt"};
  EXPECT_EQ(pair_of("/d/Mia_Linea_linea.txt", {}, known)->pair, named);
  EXPECT_EQ(pair_of("/d/Mia_Linea_R101-.txt", {}, known)->pair, named);
  EXPECT_EQ(pair_of("/e/Mia_Linea_R9-.txt", {}, known)->pair.line_file, "");
  EXPECT_FALSE(pair_of("/d/other.txt", {}, known));
  const FilePair set[] = {{"/d/other.txt", "/e/Mia_Linea_R9-.txt"}};
  EXPECT_EQ(pair_of("/e/Mia_Linea_R9-.txt", set, known)->pair, set[0]);
  EXPECT_EQ(pair_of("/d/other.txt", set, known)->kind, TextFile::kLine);
}

TEST(LspDocuments, UrisAndPathsRoundTrip) {
  const std::filesystem::path path = path_from_utf8("/a dir/è_linea.txt");
  EXPECT_EQ(uri_of_path(path), "file:///a%20dir/%C3%A8_linea.txt");
  EXPECT_EQ(path_of_uri(uri_of_path(path)), path);
  EXPECT_FALSE(path_of_uri("untitled:1"));
  EXPECT_EQ(path_of_uri("file:///C%3A/dir/x.txt"), std::filesystem::path("C:/dir/x.txt"));
  EXPECT_EQ(uri_of_path("C:/dir/x.txt"), "file:///C:/dir/x.txt");
}

// ---- A server that runs while the test talks to it ----

using namespace std::chrono_literals;

// Every wait of these tests ends after this; the test then fails.
constexpr auto kWaitLimit = 20s;

// The server's input: what the test writes, the server reads; its end comes
// once the test closes it.
class InputChannel : public std::streambuf {
 public:
  void write(const std::string& bytes) {
    const std::lock_guard lock(mutex_);
    pending_ += bytes;
    changed_.notify_all();
  }
  void close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

 protected:
  int_type underflow() override {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kWaitLimit, [&] { return closed_ || !pending_.empty(); })) {
      ADD_FAILURE() << "the server waited for input the test never sent";
    }
    if (pending_.empty()) return traits_type::eof();
    current_ = std::move(pending_);
    pending_.clear();
    setg(current_.data(), current_.data(), current_.data() + current_.size());
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string pending_;
  std::string current_;
  bool closed_ = false;
};

// The server's output, read as a client reads it, into messages the test
// waits for. A client that has stopped reading holds each write.
class OutputChannel : public std::streambuf {
 public:
  std::vector<json> messages() const {
    const std::lock_guard lock(mutex_);
    return messages_;
  }
  bool wait_until(const std::function<bool(const std::vector<json>&)>& done) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return done(messages_); });
  }
  void set_reading(bool reading) {
    const std::lock_guard lock(mutex_);
    reading_ = reading;
    changed_.notify_all();
  }
  bool wait_until_a_write_is_held() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return held_ > 0; });
  }

 protected:
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    std::unique_lock lock(mutex_);
    ++held_;
    changed_.notify_all();
    changed_.wait_for(lock, kWaitLimit, [&] { return reading_; });
    --held_;
    bytes_.append(bytes, static_cast<size_t>(count));
    take_messages();
    return count;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    xsputn(&byte, 1);
    return c;
  }

 private:
  void take_messages() {
    while (true) {
      std::istringstream in(bytes_);
      FrameReader reader(in);
      const Frame frame = reader.next();
      if (frame.kind != Frame::Kind::kMessage) break;
      messages_.push_back(json::parse(frame.body));
      bytes_.erase(0, static_cast<size_t>(in.tellg()));
    }
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string bytes_;
  std::vector<json> messages_;
  bool reading_ = true;
  int held_ = 0;
};

struct Channels {
  InputChannel input;
  OutputChannel output;
  std::istream in{&input};
  std::ostream out{&output};
  std::ostringstream log;
};

// serve() on a thread of its own, for as long as the test talks to it.
class LiveServer {
 public:
  explicit LiveServer(ServerOptions options) : channels_(std::make_shared<Channels>()) {
    std::packaged_task<int()> serving(
        [channels = channels_, options = std::move(options)]() mutable {
          return serve(channels->in, channels->out, channels->log, std::move(options));
        });
    status_ = serving.get_future();
    thread_ = std::thread(std::move(serving));
  }
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;
  ~LiveServer() {
    channels_->input.close();
    end();
  }

  void send(const std::string& frames) { channels_->input.write(frames); }
  Channels& channels() { return *channels_; }
  bool wait_until(const std::function<bool(const Session&)>& done) {
    return channels_->output.wait_until([&](const std::vector<json>& messages) {
      Session session;
      session.messages = messages;
      return done(session);
    });
  }
  const json* wait_for_response(int id) {
    if (!wait_until([&](const Session& s) { return s.response(id) != nullptr; })) return nullptr;
    session_.messages = channels_->output.messages();
    return session_.response(id);
  }
  Session session() const {
    Session session;
    session.messages = channels_->output.messages();
    return session;
  }
  // What serve() returned, once it has; -1 when it did not within the limit.
  int end() {
    if (!thread_.joinable()) return status_code_;
    if (status_.wait_for(kWaitLimit) != std::future_status::ready) {
      ADD_FAILURE() << "the server did not end; it logged:\n" << channels_->log.str();
      thread_.detach();
      keep_for_threads_left_running();
      return status_code_;
    }
    thread_.join();
    status_code_ = status_.get();
    return status_code_;
  }
  // The server leaves a write to a client that stopped reading behind it;
  // what it writes to stays.
  void keep_for_threads_left_running() {
    static std::mutex kept_mutex;
    static std::vector<std::shared_ptr<Channels>> kept;
    const std::lock_guard lock(kept_mutex);
    kept.push_back(channels_);
  }

 private:
  std::shared_ptr<Channels> channels_;
  std::future<int> status_;
  std::thread thread_;
  int status_code_ = -1;
  Session session_;
};

// Holds each compile that starts while it is shut, until it opens.
class Gate {
 public:
  void shut() { set(true); }
  void open() { set(false); }
  void pass() {
    std::unique_lock lock(mutex_);
    ++entered_;
    changed_.notify_all();
    changed_.wait_for(lock, kWaitLimit, [&] { return !shut_; });
  }
  int entered() const {
    const std::lock_guard lock(mutex_);
    return entered_;
  }
  bool wait_until_entered(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return entered_ >= count; });
  }

 private:
  void set(bool shut) {
    const std::lock_guard lock(mutex_);
    shut_ = shut;
    changed_.notify_all();
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool shut_ = false;
  int entered_ = 0;
};

ServerOptions gated_options(const std::shared_ptr<Gate>& gate) {
  ServerOptions options;
  options.debounce = 0ms;
  options.compiler = [gate](const std::filesystem::path& line, const std::filesystem::path& train,
                            const StopFlag& stop) {
    const CompileTexts compile = compile_as_check_does(line, train, stop);
    return CompileTexts(
        [gate, compile](const std::string& line_text, const std::string& train_text) {
          gate->pass();
          return compile(line_text, train_text);
        });
  };
  return options;
}

// Waits, within a bound, until nothing holds `gate` but the test: the server
// and any check it left running are gone.
bool wait_until_released(const std::shared_ptr<Gate>& gate) {
  const auto limit = std::chrono::steady_clock::now() + kWaitLimit;
  while (gate.use_count() > 1) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

std::string replaced(std::string text, std::string_view old, std::string_view by) {
  const size_t at = text.find(old);
  if (at != std::string::npos) text.replace(at, old.size(), by);
  return text;
}

std::string line_text_with_gradient_at(int position) {
  return replaced(std::string(kLineText), "pendenza, 1234, 5",
                  "pendenza, " + std::to_string(position) + ", 5");
}

std::string change_to(std::string_view uri, int version, const std::string& text) {
  return frame(notification("textDocument/didChange",
                            {{"textDocument", {{"uri", uri}, {"version", version}}},
                             {"contentChanges", {{{"text", text}}}}}));
}

std::string close(std::string_view uri) {
  return frame(notification("textDocument/didClose", {{"textDocument", {{"uri", uri}}}}));
}

std::string code_actions_at(int id, std::string_view uri, int line) {
  return frame(request(id, "textDocument/codeAction",
                       {{"textDocument", {{"uri", uri}}},
                        {"range",
                         {{"start", {{"line", line}, {"character", 0}}},
                          {"end", {{"line", line}, {"character", 40}}}}},
                        {"context", {{"diagnostics", json::array()}}}}));
}

// The compile's rounding to the 50 m grid, halves to the even neighbour.
int on_grid(int position) {
  const int below = position / 50 * 50;
  const int rest = position - below;
  if (rest > 25 || (rest == 25 && (below / 50) % 2 == 1)) return below + 50;
  return below;
}

TEST(LspVersions, AChangeWhileACheckRunsLeavesNoOlderResultAndNoStaleFix) {
  struct Case {
    int checked;  // the text whose check the change overtakes
    int last;     // the text as it ends
    bool ask_before_the_last_change;
  };
  const Case cases[] = {{1234, 1000, false}, {1000, 1234, false}, {1016, 1000, false},
                        {1000, 1016, false}, {1234, 1310, false}, {1234, 1000, true},
                        {1000, 1234, true}};
  const auto gate = std::make_shared<Gate>();
  {
    LiveServer server(gated_options(gate));
    server.send(pair_session());
    ASSERT_TRUE(server.wait_until(
        [](const Session& s) { return s.diagnostic(kLineUri, "off-grid") != nullptr; }));
    int version = 2;
    int id = 100;
    for (int round = 0; round < 4; ++round) {
      for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.checked) + " then " + std::to_string(c.last) +
                     (c.ask_before_the_last_change ? ", asked before" : ", asked after"));
        const size_t seen = server.session().messages.size();
        gate->shut();
        const int entered = gate->entered();
        server.send(change_to(kLineUri, version++, line_text_with_gradient_at(c.checked)));
        ASSERT_TRUE(gate->wait_until_entered(entered + 1));
        if (c.ask_before_the_last_change) server.send(code_actions_at(++id, kLineUri, 3));
        server.send(change_to(kLineUri, version++, line_text_with_gradient_at(c.last)));
        if (c.ask_before_the_last_change) {
          const json* refused = server.wait_for_response(id);
          ASSERT_NE(refused, nullptr);
          EXPECT_EQ((*refused)["error"]["code"], error_code::kContentModified);
        }
        const int asked = ++id;
        server.send(code_actions_at(asked, kLineUri, 3));
        // A hover is answered at once: once it is, the server has the last text.
        server.send(frame(request(++id, "textDocument/hover", at(kLineUri, 3, 12))));
        ASSERT_NE(server.wait_for_response(id), nullptr);
        gate->open();
        const json* response = server.wait_for_response(asked);
        ASSERT_NE(response, nullptr);
        const json& actions = (*response)["result"];
        const std::string last = std::to_string(c.last);
        const bool off_grid = c.last % 50 != 0;
        if (off_grid) {
          ASSERT_EQ(actions.size(), 1u);
          const json& edit = actions[0]["edit"]["changes"][std::string(kLineUri)][0];
          EXPECT_EQ(edit["newText"], std::to_string(on_grid(c.last)));
          EXPECT_EQ(edit["range"]["start"], json({{"line", 3}, {"character", 10}}));
          EXPECT_EQ(edit["range"]["end"], json({{"line", 3}, {"character", 10 + last.size()}}));
        } else {
          EXPECT_EQ(actions, json::array()) << "no fix for a position on the grid";
        }
        // Whatever was published since the first change is of the last text.
        const std::vector<json> messages = server.session().messages;
        for (size_t i = seen; i < messages.size(); ++i) {
          const json& m = messages[i];
          if (m.value("method", "") != "textDocument/publishDiagnostics" ||
              m["params"]["uri"] != kLineUri) {
            continue;
          }
          bool has_off_grid = false;
          for (const json& d : m["params"]["diagnostics"]) {
            if (d["code"] != "off-grid") continue;
            has_off_grid = true;
            EXPECT_THAT(d["message"].get<std::string>(), testing::HasSubstr(last + " m is not"));
          }
          EXPECT_EQ(has_off_grid, off_grid);
        }
      }
    }
  }
  EXPECT_TRUE(wait_until_released(gate));
}

// A compile that a newer text makes useless is stopped where it stands, not
// left to finish: the compile of the older text here runs until it is told to
// stop.
TEST(LspVersions, ANewerChangeStopsTheCompileInProgress) {
  struct Held {
    std::atomic<int> compiles = 0;
    std::atomic<int> stopped = 0;
  };
  const auto held = std::make_shared<Held>();
  const std::string older = line_text_with_gradient_at(1234);
  ServerOptions options;
  options.debounce = 0ms;
  options.compiler = [held, older](const std::filesystem::path& line,
                                   const std::filesystem::path& train, const StopFlag& stop) {
    const CompileTexts compile = compile_as_check_does(line, train, stop);
    return CompileTexts(
        [held, older, compile, stop](const std::string& line_text, const std::string& train_text) {
          if (line_text == older) {
            ++held->compiles;
            const auto limit = std::chrono::steady_clock::now() + kWaitLimit;
            while (!stop.requested() && std::chrono::steady_clock::now() < limit) {
              std::this_thread::sleep_for(1ms);
            }
            if (stop.requested()) ++held->stopped;
          }
          return compile(line_text, train_text);
        });
  };
  {
    LiveServer server(std::move(options));
    server.send(initialize() + open(kTrainUri, kTrainText) + open(kLineUri, older));
    const auto limit = std::chrono::steady_clock::now() + kWaitLimit;
    while (held->compiles == 0 && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(held->compiles, 1);
    server.send(change_to(kLineUri, 2, line_text_with_gradient_at(1016)));
    EXPECT_TRUE(server.wait_until([](const Session& s) {
      const json* off_grid = s.diagnostic(kLineUri, "off-grid");
      return off_grid != nullptr &&
             (*off_grid)["message"].get<std::string>().find("1016 m") != std::string::npos;
    }));
    EXPECT_EQ(held->stopped, 1) << "the compile of the older text was not told to stop";
    EXPECT_EQ(held->compiles, 1) << "the older text was compiled again";
  }
}

TEST(LspVersions, AFixNamesTheVersionOfTheTextItIsFor) {
  const json capabilities = {{"workspace", {{"workspaceEdit", {{"documentChanges", true}}}}}};
  const Session s = run(frame(request(1, "initialize", {{"capabilities", capabilities}})) +
                        open(kLineUri, kLineText) + open(kTrainUri, kTrainText) +
                        change_to(kLineUri, 7, line_text_with_gradient_at(1016)) +
                        code_actions_at(2, kLineUri, 3));
  const json& actions = (*s.response(2))["result"];
  ASSERT_EQ(actions.size(), 1u);
  const json& document = actions[0]["edit"]["documentChanges"][0];
  EXPECT_EQ(document["textDocument"], json({{"uri", kLineUri}, {"version", 7}}));
  EXPECT_EQ(document["edits"][0]["newText"], "1000");
}

TEST(LspPairs, AChangeOfTheLineFileIsCheckedWithEveryOpenTrainFile) {
  const std::string line_uri = "file:///two/T_linea.txt";
  const std::string first = "file:///two/T_R1-.txt";
  const std::string second = "file:///two/T_R2-.txt";
  ServerOptions options;
  options.debounce = 0ms;
  options.compiler = compile_as_check_does;
  LiveServer server(std::move(options));
  server.send(initialize() + open(line_uri, kLineText) + open(first, kTrainText) +
              open(second, kTrainText));
  const auto both_taken = [&](bool taken) {
    return [=](const Session& s) {
      return (s.diagnostic(first, "signal-cell-taken") != nullptr) == taken &&
             (s.diagnostic(second, "signal-cell-taken") != nullptr) == taken &&
             s.diagnostics(first).is_array() && s.diagnostics(second).is_array();
    };
  };
  ASSERT_TRUE(server.wait_until(both_taken(true)));
  const std::string board_moved =
      replaced(std::string(kLineText), "indicatore cartello, 2000", "indicatore cartello, 3000");
  server.send(change_to(line_uri, 2, board_moved));
  EXPECT_TRUE(server.wait_until(both_taken(false)));
  server.send(change_to(line_uri, 3, std::string(kLineText)));
  EXPECT_TRUE(server.wait_until(both_taken(true)));
}

// A directory of its own under the system's temporary one, removed at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    static int made = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("sc_lsp_test_" +
             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "_" +
             std::to_string(++made));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = (path_ / name).lexically_normal();
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  std::filesystem::path path_;
};

TEST(LspPairs, APartnerClosedUnsavedIsCheckedAgainAsItIsOnDisk) {
  const ScratchDirectory dir;
  const std::string saved =
      replaced(std::string(kLineText), "indicatore cartello, 2000", "indicatore cartello, 3000");
  const std::string line_uri = uri_of_path(dir.write("T_linea.txt", saved));
  const std::string train_uri = uri_of_path(dir.write("T_R1-.txt", kTrainText));
  ServerOptions options;
  options.debounce = 0ms;
  options.compiler = compile_as_check_does;
  LiveServer server(std::move(options));
  // The line file is edited, not saved: its board takes the signal's cell.
  server.send(initialize() + open(train_uri, kTrainText) + open(line_uri, kLineText));
  ASSERT_TRUE(server.wait_until(
      [&](const Session& s) { return s.diagnostic(train_uri, "signal-cell-taken") != nullptr; }));
  server.send(close(line_uri));
  EXPECT_TRUE(server.wait_until([&](const Session& s) {
    return s.diagnostic(train_uri, "signal-cell-taken") == nullptr &&
           s.diagnostic(line_uri, "off-grid") != nullptr;
  })) << "the train file is checked with the line file as saved";
  server.send(close(train_uri));
  EXPECT_TRUE(server.wait_until([&](const Session& s) {
    return s.diagnostics(train_uri) == json::array() && s.diagnostics(line_uri) == json::array();
  })) << "files no open document is checked with keep no problems";
}

// A place of a finding as the protocol counts it: the file, 0-based line and
// UTF-16 column, and the finding's name.
using Place = std::tuple<std::string, int, int, std::string>;

// What check finds in the two files as they are on disk.
std::set<Place> check_finds(const std::string& line_bytes, const std::string& train_bytes) {
  const DecodedText line = decode_input(line_bytes, std::nullopt);
  const DecodedText train = decode_input(train_bytes, std::nullopt);
  CheckOptions options;
  options.encodings = {line.encoding, train.encoding};
  options.error_limit = 20;
  std::vector<Finding> findings = check_sources(line.text, train.text, options,
                                                compile_as_check_does("E_linea.txt", "E_R1-.txt"));
  stop_after_errors(findings, options.error_limit);
  std::set<Place> places;
  for (const Finding& f : findings) {
    places.insert({f.source == Source::kTrainFile ? "train" : "line", f.location.line - 1,
                   f.location.column - 1, std::string(f.name())});
  }
  return places;
}

std::set<Place> published_places(const Session& s, const std::string& line_uri,
                                 const std::string& train_uri) {
  std::set<Place> places;
  for (const auto& [file, uri] : {std::pair("line", line_uri), std::pair("train", train_uri)}) {
    for (const json& d : s.diagnostics(uri)) {
      if (d["severity"] == 3) continue;
      places.insert(
          {file, d["range"]["start"]["line"], d["range"]["start"]["character"], d["code"]});
    }
  }
  return places;
}

TEST(LspEncodings, FilesInTheProgramsEncodingsGetWhatCheckGives) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  // Windows-1252: an e grave, a euro sign, a right quote and an ellipsis.
  const std::string line_1252 =
      replaced(std::string(kLineText), "VIA ROMA, 3", "CAFF\xC8 \x80 \x92 \x85, 3");
  const std::string line_utf8 = cp1252_to_utf8(line_1252);
  // UTF-8 but for one byte, which makes check read it as Windows-1252.
  const std::string mostly_utf8 = replaced(line_utf8, "CAFF", "CAFF\xE0");
  const struct {
    const char* what;
    std::string line_on_disk;
    std::string train_on_disk;
    std::optional<std::string> line_open;   // the editor's text, if open
    std::optional<std::string> train_open;  // likewise
    std::string_view expected;              // a finding that must be among them
  } cases[] = {
      {"Windows-1252 read as Windows-1252", line_1252, std::string(kTrainText), line_utf8,
       std::string(kTrainText), "text-cut-at-comma"},
      {"Windows-1252 read as Latin-1", line_1252, std::string(kTrainText),
       latin1_to_utf8(line_1252), std::string(kTrainText), "text-cut-at-comma"},
      {"UTF-8 with a byte-order mark, open", std::string(kBom) + line_utf8, std::string(kTrainText),
       std::string(kBom) + line_utf8, std::string(kTrainText), "off-grid"},
      {"a partner on disk with a byte-order mark", line_1252,
       std::string(kBom) + std::string(kTrainText), line_utf8, std::nullopt, "signal-cell-taken"},
      {"a line file on disk with a byte-order mark", std::string(kBom) + line_utf8,
       std::string(kTrainText), std::nullopt, std::string(kTrainText), "off-grid"},
      {"mostly UTF-8 with one stray byte, read as Latin-1", mostly_utf8, std::string(kTrainText),
       latin1_to_utf8(mostly_utf8), std::string(kTrainText), "utf8-input"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ScratchDirectory dir;
    const std::string line_uri = uri_of_path(dir.write("E_linea.txt", c.line_on_disk));
    const std::string train_uri = uri_of_path(dir.write("E_R1-.txt", c.train_on_disk));
    std::string input = initialize();
    if (c.line_open) input += open(line_uri, *c.line_open);
    if (c.train_open) input += open(train_uri, *c.train_open);
    const Session s = run(input);
    const std::set<Place> expected = check_finds(c.line_on_disk, c.train_on_disk);
    EXPECT_EQ(published_places(s, line_uri, train_uri), expected);
    EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                            [&](const Place& p) { return std::get<3>(p) == c.expected; }));
    EXPECT_EQ(s.diagnostic(line_uri, "encoding"), nullptr);
  }
}

// The check of a pair whose route length lost a digit meets an error in
// every row past it; the server publishes only as many as the limit.
TEST(LspLimits, ARouteLengthTypoPublishesNoMoreThanTheErrorLimit) {
  const struct {
    int32_t route;
    json options;
    size_t limit;
  } cases[] = {
      {1000000, json::object(), 20},
      {20000, {{"errorLimit", 3}}, 3},
      {20000, {{"scenarioCompiler", {{"errorLimit", 5}, {"debounceMs", nullptr}}}}, 5},
      {20000, {{"errorLimit", nullptr}, {"debounceMs", nullptr}, {"pairs", nullptr}}, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options.dump());
    const RouteTexts route = generate_route(c.route);
    const std::string line_uri = "file:///limit/Gen_linea.txt";
    const std::string train_uri = "file:///limit/Gen_T1-.txt";
    // One digit too few in the route length: the rows past it are out of the route.
    const std::string length = std::to_string(c.route);
    const std::string typo = replaced(route.line, "percorso, " + length,
                                      "percorso, " + length.substr(0, length.size() - 1));
    const Session s = run(
        frame(request(1, "initialize",
                      {{"capabilities", json::object()}, {"initializationOptions", c.options}})) +
        open(line_uri, route.line) + open(train_uri, route.train) + change_to(line_uri, 2, typo));
    ASSERT_TRUE(s.response(1)->contains("result"));
    size_t errors = 0;
    for (const std::string& uri : {line_uri, train_uri}) {
      for (const json& d : s.diagnostics(uri)) errors += d["severity"] == 1 ? 1 : 0;
    }
    EXPECT_EQ(errors, c.limit);
    EXPECT_NE(s.diagnostic(line_uri, "error-limit"), nullptr);
  }
}

TEST(LspExit, ExitEndsTheServerAtOnceWhileACheckRunsOrTheClientHasStoppedReading) {
  for (const bool client_reads : {true, false}) {
    SCOPED_TRACE(client_reads ? "a check runs" : "a check runs and the client stopped reading");
    const auto gate = std::make_shared<Gate>();
    gate->shut();
    {
      LiveServer server(gated_options(gate));
      server.send(pair_session());
      ASSERT_TRUE(gate->wait_until_entered(1));
      if (!client_reads) {
        server.channels().output.set_reading(false);
        server.send(frame(request(2, "textDocument/hover", at(kLineUri, 3, 2))));
        ASSERT_TRUE(server.channels().output.wait_until_a_write_is_held());
      }
      const auto start = std::chrono::steady_clock::now();
      server.send(frame(request(3, "shutdown")) + frame(notification("exit")));
      EXPECT_EQ(server.end(), 0);
      EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
      EXPECT_EQ(server.session().diagnostics(kLineUri), json()) << "nothing is published";
      server.keep_for_threads_left_running();
      gate->open();
      server.channels().output.set_reading(true);
    }
    EXPECT_TRUE(wait_until_released(gate));
  }
}

TEST(LspProtocol, HostilePositionsAreRefusedAndTheServerLives) {
  const json positions[] = {
      {{"line", -1}, {"character", 0}},          {{"line", -1000000000}, {"character", 0}},
      {{"line", 4294967299u}, {"character", 0}}, {{"line", 2147483648u}, {"character", 0}},
      {{"line", 3}, {"character", -1}},          {{"line", 1.5}, {"character", 0}},
      {{"line", "3"}, {"character", 0}},
  };
  std::string input = pair_session();
  int id = 10;
  for (const json& position : positions) {
    for (const char* method :
         {"textDocument/hover", "textDocument/completion", "textDocument/definition"}) {
      input += frame(
          request(id++, method, {{"textDocument", {{"uri", kLineUri}}}, {"position", position}}));
    }
    input += frame(request(id++, "textDocument/codeAction",
                           {{"textDocument", {{"uri", kLineUri}}},
                            {"range", {{"start", position}, {"end", position}}},
                            {"context", {{"diagnostics", json::array()}}}}));
    // A change the server cannot place is left out, and logged.
    input += frame(
        notification("textDocument/didChange",
                     {{"textDocument", {{"uri", kLineUri}, {"version", id}}},
                      {"contentChanges",
                       {{{"range", {{"start", position}, {"end", position}}}, {"text", "x"}}}}}));
  }
  const json largest = {{"line", 2147483647}, {"character", 2147483647}};
  input += frame(request(90, "textDocument/completion",
                         {{"textDocument", {{"uri", kLineUri}}}, {"position", largest}}));
  input += frame(request(91, "textDocument/hover", at(kLineUri, 3, 2)));
  const Session s = run(input);
  for (int asked = 10; asked < id; ++asked) {
    SCOPED_TRACE(asked);
    ASSERT_NE(s.response(asked), nullptr);
    EXPECT_EQ((*s.response(asked))["error"]["code"], error_code::kInvalidParams);
  }
  EXPECT_TRUE((*s.response(90))["result"].is_array());
  EXPECT_THAT((*s.response(91))["result"]["contents"]["value"].get<std::string>(),
              testing::HasSubstr("**gradient** row"))
      << "no change was applied";
  EXPECT_EQ(s.status, 0);
}

TEST(LspProtocol, EachFormOfIdGetsTheReplyJsonRpcGives) {
  const struct {
    json id;
    json reply_id;  // the id the reply carries
    bool answered;  // a result, or else an Invalid Request error
  } cases[] = {
      {7, 7, true},
      {"seven", "seven", true},
      {1.5, 1.5, true},
      {nullptr, nullptr, true},
      {true, nullptr, false},
      {json::object(), nullptr, false},
      {json::array({1}), nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id.dump());
    const json hover = {{"jsonrpc", "2.0"},
                        {"id", c.id},
                        {"method", "textDocument/hover"},
                        {"params", at(kLineUri, 3, 2)}};
    const Session s = run(pair_session() + frame(hover) +
                          frame(request(99, "textDocument/hover", at(kLineUri, 3, 2))));
    std::vector<json> replies;
    for (const json& m : s.messages) {
      if (m.contains("id") && m["id"] != 1 && m["id"] != 99) replies.push_back(m);
    }
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0]["id"], c.reply_id);
    if (c.answered) {
      EXPECT_TRUE(replies[0]["result"].contains("contents"));
    } else {
      EXPECT_EQ(replies[0]["error"]["code"], error_code::kInvalidRequest);
    }
    ASSERT_NE(s.response(99), nullptr);
  }
}

}  // namespace
}  // namespace sc::lsp
