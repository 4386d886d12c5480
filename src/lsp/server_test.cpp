#include "lsp/server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "check/check.h"
#include "lsp/documents.h"
#include "lsp/value_notes.h"
#include "route_generator.h"
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
                                   const std::filesystem::path& train) {
  return compile_named_after(line, train);
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
  const auto failing = [](const std::filesystem::path&, const std::filesystem::path&) {
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
          frame(request(4, "textDocument/completion", at(kLineUri, 3, 12))));
  const auto header = labels((*s.response(2))["result"]);
  EXPECT_THAT(header, testing::Contains("lunghezza percorso"));
  EXPECT_THAT(header, testing::Not(testing::Contains("pendenza")));
  const json& rows = (*s.response(3))["result"];
  EXPECT_THAT(labels(rows), testing::IsSupersetOf({"pendenza", "[montagne]", "montagna row"}));
  for (const json& item : rows) {
    if (item["label"] != "pendenza row") continue;
    EXPECT_EQ(item["insertTextFormat"], 2);
    EXPECT_EQ(item["textEdit"]["newText"], "pendenza, ${1:position}, ${2:gradient}");
  }
  EXPECT_TRUE((*s.response(4))["result"].empty()) << "no keyword after the first comma";
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
  const auto only_edit = [&](int id) {
    const json& actions = (*s.response(id))["result"];
    EXPECT_EQ(actions.size(), 1u);
    return actions[0]["edit"]["changes"][std::string(kLineUri)][0];
  };
  const struct {
    int id;
    const char* text;
    int start;
    int end;
  } expected[] = {{2, "1250", 10, 14},
                  {3, "pendenza", 0, 9},
                  {4, "\"VIA ROMA, 3\"", 27, 38},
                  {5, "curvad4", 0, 14}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.text);
    const json edit = only_edit(e.id);
    EXPECT_EQ(edit["newText"], e.text);
    EXPECT_EQ(edit["range"]["start"]["character"], e.start);
    EXPECT_EQ(edit["range"]["end"]["character"], e.end);
  }
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

}  // namespace
}  // namespace sc::lsp
