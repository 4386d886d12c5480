// The WebAssembly module's entry points, called from the page's worker. Texts
// and files cross as bytes in the module's memory; each result is an object
// the caller reads through its accessors and frees.
#include <emscripten/emscripten.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "check/check.h"
#include "format/row_kinds.h"
#include "lsp/server.h"
#include "web/page_compile.h"

namespace {

// The language server with the messages it has sent since they were last
// taken.
struct LanguageServer {
  std::vector<std::string> outbox;
  sc::lsp::Server server;

  LanguageServer()
      : server(
            options(), [this](const std::string& body) { outbox.push_back(body); }, std::cerr) {}

  static sc::lsp::ServerOptions options() {
    sc::lsp::ServerOptions options;
    options.compiler = [](const std::filesystem::path& line_file,
                          const std::filesystem::path& train_file, const sc::StopFlag& stop) {
      return sc::compile_named_after(line_file, train_file, {}, {}, sc::ProfileChoice::kBuild,
                                     stop);
    };
    return options;
  }

  // The messages sent, as one JSON array.
  std::string take_outbox() {
    nlohmann::json messages = nlohmann::json::array();
    for (const std::string& body : outbox) messages.push_back(nlohmann::json::parse(body));
    outbox.clear();
    return messages.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
};

const char* status_name(sc::web::PageCompile::Status status) {
  using Status = sc::web::PageCompile::Status;
  switch (status) {
    case Status::kClean:
      return "clean";
    case Status::kErrorRecorded:
      return "error";
    case Status::kFatal:
      return "fatal";
    case Status::kUnusable:
      return "unusable";
  }
  return "unusable";
}

struct Compiled {
  std::string report;  // JSON
  std::vector<sc::web::DownloadFile> files;
};

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE std::string* sc_text_new(size_t size) {
  return new std::string(size, '\0');
}
EMSCRIPTEN_KEEPALIVE char* sc_text_data(std::string* text) {
  return text->data();
}
EMSCRIPTEN_KEEPALIVE size_t sc_text_size(const std::string* text) {
  return text->size();
}
EMSCRIPTEN_KEEPALIVE void sc_text_free(std::string* text) {
  delete text;
}

EMSCRIPTEN_KEEPALIVE LanguageServer* sc_lsp_new() {
  return new LanguageServer();
}
EMSCRIPTEN_KEEPALIVE void sc_lsp_free(LanguageServer* lsp) {
  delete lsp;
}

// Takes one message; returns those the server sent in answer.
EMSCRIPTEN_KEEPALIVE std::string* sc_lsp_receive(LanguageServer* lsp, const std::string* body) {
  lsp->server.receive({sc::lsp::Frame::Kind::kMessage, *body, {}});
  return new std::string(lsp->take_outbox());
}

// Milliseconds until the next check is due; -1 when none waits.
EMSCRIPTEN_KEEPALIVE double sc_lsp_next_check_ms(const LanguageServer* lsp) {
  const auto due = lsp->server.time_to_next_check();
  if (!due) return -1;
  return std::chrono::duration<double, std::milli>(*due).count();
}

// Checks the pairs that are due; returns the messages that sent.
EMSCRIPTEN_KEEPALIVE std::string* sc_lsp_check_due(LanguageServer* lsp) {
  lsp->server.analyse_due();
  return new std::string(lsp->take_outbox());
}

EMSCRIPTEN_KEEPALIVE Compiled* sc_compile(const std::string* line_file,
                                          const std::string* line_text,
                                          const std::string* train_file,
                                          const std::string* train_text) {
  sc::web::PageCompile page =
      sc::web::compile_page_pair({*line_file, *line_text, *train_file, *train_text});
  nlohmann::json names = nlohmann::json::array();
  for (const sc::web::DownloadFile& file : page.files) names.push_back(file.name);
  const nlohmann::json report = {{"status", status_name(page.status)},
                                 {"findings", page.findings},
                                 {"files", names},
                                 {"summary", page.summary},
                                 {"svg", page.svg},
                                 {"objects", page.objects}};
  return new Compiled{report.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                      std::move(page.files)};
}
EMSCRIPTEN_KEEPALIVE const std::string* sc_compiled_report(const Compiled* c) {
  return &c->report;
}
EMSCRIPTEN_KEEPALIVE const std::string* sc_compiled_file(const Compiled* c, size_t i) {
  return &c->files.at(i).bytes;
}
EMSCRIPTEN_KEEPALIVE void sc_compiled_free(Compiled* c) {
  delete c;
}

EMSCRIPTEN_KEEPALIVE std::string* sc_text_for_editor(const std::string* bytes) {
  return new std::string(sc::web::text_for_editor(*bytes));
}
// The Windows-1252 bytes of the editor's text; empty, with the place of the
// first character that has no such form in `failed`, when there is one.
EMSCRIPTEN_KEEPALIVE std::string* sc_text_for_disk(const std::string* utf8, std::string* failed) {
  sc::web::SavedText saved = sc::web::text_for_disk(*utf8);
  *failed = std::move(saved.failed);
  return new std::string(std::move(saved.bytes));
}

// The words that name each row kind, for the page's highlighting: [{file,
// word, also, any_case}], from the row-kind table.
EMSCRIPTEN_KEEPALIVE std::string* sc_row_words() {
  nlohmann::json kinds = nlohmann::json::array();
  for (const sc::RowKindInfo& kind : sc::row_kinds()) {
    kinds.push_back({{"file", kind.file == sc::TextFile::kLine ? "line" : "train"},
                     {"word", kind.word},
                     {"also", kind.also},
                     {"any_case", kind.letter_case == sc::LetterCase::kAnyCase}});
  }
  return new std::string(kinds.dump());
}

EMSCRIPTEN_KEEPALIVE std::string* sc_example() {
  const sc::web::PagePair pair = sc::web::built_in_example();
  return new std::string(nlohmann::json{{"line_file", pair.line_file},
                                        {"line_text", sc::web::text_for_editor(pair.line_text)},
                                        {"train_file", pair.train_file},
                                        {"train_text", sc::web::text_for_editor(pair.train_text)}}
                             .dump());
}

}  // extern "C"
