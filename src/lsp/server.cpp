#include "lsp/server.h"

#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "lsp/outline.h"
#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc::lsp {
namespace {

using nlohmann::json;

// A request the server does not know.
struct UnknownMethod : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What a train file alone is told: without its line file there is no route.
constexpr std::string_view kNoLineFile =
    "no line file found for this train file: the train file \"L_T-.txt\" is checked with the "
    "line file \"L_linea.txt\" of the same directory; open or create it, or name the pair in "
    "the settings (\"pairs\": [{\"line\": ..., \"train\": ...}])";

// A lone line file is checked with a train file that has no rows.
constexpr std::string_view kEmptyTrainFile = "[generale]\n[fine]\n";

constexpr int kSeverityInformation = 3;

constexpr std::chrono::milliseconds kLongestDebounce{250};

Position position_from(const json& p) {
  return {p.at("line").get<int>(), p.at("character").get<int>()};
}

Range range_from(const json& r) {
  return {position_from(r.at("start")), position_from(r.at("end"))};
}

bool is_utf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (!decode_utf8(text, i)) return false;
  }
  return true;
}

// A file that is not open, as the editor would show it: UTF-8.
std::string read_file_as_utf8(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return is_utf8(text) ? text : cp1252_to_utf8(text);
}

std::vector<std::filesystem::path> files_in(const std::filesystem::path& directory) {
  std::vector<std::filesystem::path> files;
  std::error_code failure;
  for (std::filesystem::directory_iterator it(directory, failure), end; !failure && it != end;
       it.increment(failure)) {
    files.push_back(it->path().lexically_normal());
  }
  return files;
}

}  // namespace

struct Server::DocumentView {
  std::string uri;
  const std::string* text = nullptr;
  TextFile kind = TextFile::kLine;
};

Server::Server(ServerOptions options, Send send, std::ostream& log)
    : options_(std::move(options)), send_(std::move(send)), log_(log) {}

bool Server::finished() const {
  const std::lock_guard lock(mutex_);
  return exited_;
}

int Server::exit_status() const {
  const std::lock_guard lock(mutex_);
  return exited_ && !shut_down_ ? 1 : 0;
}

void Server::receive(const Frame& frame) {
  const std::lock_guard lock(mutex_);
  if (frame.kind == Frame::Kind::kMalformed) {
    log_ << "scenario-compiler lsp: malformed message: " << frame.problem << '\n';
    respond_error(nullptr, error_code::kParseError, frame.problem);
    return;
  }
  const json message = json::parse(frame.body, nullptr, false);
  if (message.is_discarded()) {
    log_ << "scenario-compiler lsp: a message body that is not JSON (" << frame.body.size()
         << " bytes)\n";
    respond_error(nullptr, error_code::kParseError, "the message body is not JSON");
    return;
  }
  handle(message);
}

void Server::handle(const json& message) {
  const bool has_id = message.is_object() && message.contains("id") &&
                      (message["id"].is_number_integer() || message["id"].is_string());
  const json id = has_id ? message["id"] : json(nullptr);
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // A response to a request of ours: the server sends none, so it is dropped.
    if (message.is_object() && message.contains("id") &&
        (message.contains("result") || message.contains("error"))) {
      return;
    }
    log_ << "scenario-compiler lsp: a message that is neither a request nor a notification\n";
    respond_error(id, error_code::kInvalidRequest, "a message needs a \"method\" string");
    return;
  }
  const std::string method = message["method"];
  const json params = message.value("params", json::object());
  if (!has_id) {
    try {
      notice(method, params);
    } catch (const std::exception& e) {
      log_ << "scenario-compiler lsp: " << method << " failed: " << e.what() << '\n';
    }
    return;
  }
  if (!initialized_ && method != "initialize") {
    respond_error(id, error_code::kServerNotInitialized,
                  "the server takes no request before \"initialize\"");
    return;
  }
  if (shut_down_) {
    respond_error(id, error_code::kInvalidRequest, "the server has been shut down");
    return;
  }
  try {
    respond(id, answer(method, params));
  } catch (const UnknownMethod& e) {
    respond_error(id, error_code::kMethodNotFound, e.what());
  } catch (const json::exception& e) {
    log_ << "scenario-compiler lsp: " << method << ": bad parameters: " << e.what() << '\n';
    respond_error(id, error_code::kInvalidParams, e.what());
  } catch (const std::exception& e) {
    log_ << "scenario-compiler lsp: " << method << " failed: " << e.what() << '\n';
    respond_error(id, error_code::kRequestFailed, e.what());
  }
}

json Server::initialize(const json& params) {
  if (initialized_) throw std::runtime_error("the server is already initialized");
  if (params.contains("rootUri") && params["rootUri"].is_string()) {
    root_ = path_of_uri(params["rootUri"].get<std::string>()).value_or("");
  }
  const json options = params.value("initializationOptions", json::object());
  if (options.is_object()) {
    if (options.contains("debounceMs")) {
      options_.debounce = std::chrono::milliseconds(options["debounceMs"].get<int>());
    }
    read_settings(options);
  }
  initialized_ = true;
  return {{"capabilities",
           {{"textDocumentSync", {{"openClose", true}, {"change", 2}}},
            {"hoverProvider", true},
            {"completionProvider", {{"triggerCharacters", {"["}}}},
            {"documentSymbolProvider", true},
            {"definitionProvider", true},
            {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}}},
          {"serverInfo", {{"name", "scenario-compiler"}}}};
}

// "pairs": [{"line": PATH, "train": PATH}], paths relative to the workspace.
void Server::read_settings(const json& settings) {
  const json* holder = &settings;
  if (settings.contains("scenarioCompiler")) holder = &settings["scenarioCompiler"];
  if (!holder->is_object() || !holder->contains("pairs")) return;
  settings_pairs_.clear();
  for (const json& pair : holder->at("pairs")) {
    const auto resolve = [&](const char* key) {
      const std::filesystem::path path = path_from_utf8(pair.at(key).get<std::string>());
      return (path.is_absolute() ? path : root_ / path).lexically_normal();
    };
    settings_pairs_.push_back({resolve("line"), resolve("train")});
  }
}

Server::DocumentView Server::view(const json& params) const {
  DocumentView view;
  view.uri = params.at("textDocument").at("uri").get<std::string>();
  view.text = documents_.text(view.uri);
  const auto path = path_of_uri(view.uri);
  const auto pair = path ? pair_for(*path) : std::nullopt;
  if (!pair) view.text = nullptr;  // not a scenario file: nothing to say about it
  if (pair) view.kind = pair->kind;
  return view;
}

json Server::answer(const std::string& method, const json& params) {
  if (method == "initialize") return initialize(params);
  if (method == "shutdown") {
    shut_down_ = true;
    return nullptr;
  }
  const bool document_request =
      method == "textDocument/hover" || method == "textDocument/completion" ||
      method == "textDocument/documentSymbol" || method == "textDocument/definition" ||
      method == "textDocument/codeAction";
  if (!document_request) throw UnknownMethod("no method \"" + method + "\"");
  const DocumentView document = view(params);
  const bool needs_problems =
      method == "textDocument/definition" || method == "textDocument/codeAction";
  if (document.text && needs_problems) analyse_waiting_pair_of(document.uri);
  const bool list_answer = method == "textDocument/completion" ||
                           method == "textDocument/documentSymbol" ||
                           method == "textDocument/codeAction";
  if (!document.text) return list_answer ? json::array() : json(nullptr);
  const LineIndex lines(*document.text);
  const Outline outline = outline_of(lines, document.kind);
  const auto published = published_.find(document.uri);
  const std::vector<Published> none;
  const std::vector<Published>& problems = published == published_.end() ? none : published->second;
  if (method == "textDocument/documentSymbol") return document_symbols(lines, outline);
  if (method == "textDocument/codeAction") {
    return code_actions(document.uri, lines, outline, problems, range_from(params.at("range")));
  }
  const Position at = position_from(params.at("position"));
  if (method == "textDocument/hover") return hover(lines, outline, at);
  if (method == "textDocument/completion") return completion(lines, outline, document.kind, at);
  return definition(document.uri, problems, at);
}

void Server::notice(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    waiting_.clear();  // nobody is left to read what they would find
    wake_.notify_all();
    return;
  }
  if (!initialized_ || shut_down_) return;
  if (method == "textDocument/didOpen") {
    const json& document = params.at("textDocument");
    const std::string uri = document.at("uri");
    documents_.open(uri, document.at("text").get<std::string>());
    schedule(uri);
  } else if (method == "textDocument/didChange") {
    const std::string uri = params.at("textDocument").at("uri");
    std::vector<TextChange> changes;
    for (const json& change : params.at("contentChanges")) {
      changes.push_back({change.contains("range")
                             ? std::optional<Range>(range_from(change["range"]))
                             : std::nullopt,
                         change.at("text").get<std::string>()});
    }
    if (documents_.change(uri, changes)) schedule(uri);
  } else if (method == "textDocument/didClose") {
    documents_.close(params.at("textDocument").at("uri").get<std::string>());
  } else if (method == "workspace/didChangeConfiguration") {
    read_settings(params.value("settings", json::object()));
    for (const std::string& uri : documents_.uris()) schedule(uri);
  }
  // Other notifications ($/cancelRequest, didSave, initialized) need nothing.
}

std::optional<PairOf> Server::pair_for(const std::filesystem::path& file) const {
  std::vector<std::filesystem::path> known = files_in(file.parent_path());
  for (const std::string& uri : documents_.uris()) {
    if (const auto path = path_of_uri(uri)) known.push_back(*path);
  }
  return pair_of(file, settings_pairs_, known);
}

Server::Clock::duration Server::delay_before_check(const FilePair& pair) const {
  if (options_.debounce) return *options_.debounce;
  const auto last = last_check_.find(pair);
  if (last == last_check_.end()) return {};
  return std::min<Clock::duration>(last->second / 8, kLongestDebounce);
}

void Server::schedule(const std::string& uri) {
  const auto path = path_of_uri(uri);
  if (!path) return;
  const auto pair = pair_for(*path);
  if (!pair) return;
  waiting_[pair->pair] = Clock::now() + delay_before_check(pair->pair);
  wake_.notify_all();
}

std::string Server::text_of(const std::filesystem::path& file) const {
  for (const std::string& uri : documents_.uris()) {
    if (path_of_uri(uri) == file) return *documents_.text(uri);
  }
  return read_file_as_utf8(file);
}

Server::Snapshot Server::take_snapshot(const FilePair& pair) const {
  Snapshot snapshot{pair, {}, {}};
  if (!pair.line_file.empty()) snapshot.line_text = text_of(pair.line_file);
  snapshot.train_text =
      pair.train_file.empty() ? std::string(kEmptyTrainFile) : text_of(pair.train_file);
  return snapshot;
}

void Server::publish(const Snapshot& snapshot, const std::vector<Problem>& problems) {
  const auto uri_of = [&](const std::filesystem::path& file) {
    for (const std::string& uri : documents_.uris()) {
      if (path_of_uri(uri) == file) return uri;
    }
    return uri_of_path(file);
  };
  const LineIndex line_lines(snapshot.line_text);
  const LineIndex train_lines(snapshot.train_text);
  const std::string line_uri =
      snapshot.pair.line_file.empty() ? "" : uri_of(snapshot.pair.line_file);
  const std::string train_uri =
      snapshot.pair.train_file.empty() ? "" : uri_of(snapshot.pair.train_file);
  const auto place = [&](const Spot& spot) -> std::pair<std::string, Range> {
    if (spot.side == Side::kTrainFile) return {train_uri, field_range(train_lines, spot)};
    return {line_uri, field_range(line_lines, spot)};
  };
  std::map<std::string, std::vector<Published>> by_uri;
  if (!line_uri.empty()) by_uri[line_uri];
  if (!train_uri.empty()) by_uri[train_uri];
  for (const Problem& problem : problems) {
    const auto [uri, range] = place(problem.at);
    if (uri.empty()) continue;
    Published published{range, problem, {}};
    for (const RelatedNote& note : problem.notes) {
      auto [note_uri, note_range] = note.at.line > 0 ? place(note.at) : std::pair(uri, range);
      if (note_uri.empty()) note_uri = uri;
      published.notes.push_back({note_uri, note_range, note.message});
    }
    by_uri[uri].push_back(std::move(published));
  }
  for (auto& [uri, list] : by_uri) {
    json diagnostics = json::array();
    for (const Published& published : list) diagnostics.push_back(diagnostic_json(published));
    if (uri == train_uri && line_uri.empty()) {
      diagnostics.push_back({{"range", range_json({})},
                             {"severity", kSeverityInformation},
                             {"code", "no-line-file"},
                             {"source", "scenario-compiler"},
                             {"message", kNoLineFile}});
    }
    published_[uri] = std::move(list);
    notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", diagnostics}});
  }
}

// Runs without the lock; a failure is told in `failure`, for the caller to
// log once it holds the lock again.
std::vector<Problem> Server::check_snapshot(const Snapshot& snapshot, std::string& failure) const {
  const FilePair& pair = snapshot.pair;
  if (pair.line_file.empty()) return {};
  try {
    return analyse_pair(snapshot.line_text, snapshot.train_text,
                        options_.compiler(pair.line_file, pair.train_file));
  } catch (const std::exception& e) {
    failure = "the check of " + utf8_of(pair.line_file) + " failed: " + e.what();
  }
  return {};
}

void Server::log_failure(const std::string& failure) {
  if (!failure.empty()) log_ << "scenario-compiler lsp: " << failure << '\n';
}

void Server::analyse_one(std::unique_lock<std::mutex>& lock) {
  auto earliest = waiting_.begin();
  for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
    if (it->second < earliest->second) earliest = it;
  }
  const FilePair pair = earliest->first;
  waiting_.erase(earliest);
  const Snapshot snapshot = take_snapshot(pair);
  lock.unlock();
  const auto start = Clock::now();
  std::string failure;
  const std::vector<Problem> problems = check_snapshot(snapshot, failure);
  const auto took = Clock::now() - start;
  lock.lock();
  log_failure(failure);
  last_check_[pair] = took;
  // Changed while it was checked: the next check publishes.
  if (waiting_.contains(pair)) return;
  publish(snapshot, problems);
}

// Answers about problems are about the text as it is now: a check still
// waiting for its debounce time runs at once.
void Server::analyse_waiting_pair_of(const std::string& uri) {
  const auto pair = pair_for(*path_of_uri(uri));
  if (!pair || !waiting_.contains(pair->pair)) return;
  waiting_.erase(pair->pair);
  const Snapshot snapshot = take_snapshot(pair->pair);
  std::string failure;
  const std::vector<Problem> problems = check_snapshot(snapshot, failure);
  log_failure(failure);
  publish(snapshot, problems);
}

void Server::analyse_in_background() {
  std::unique_lock lock(mutex_);
  while (true) {
    if (waiting_.empty()) {
      if (stopping_) return;
      wake_.wait(lock);
      continue;
    }
    Clock::time_point due = Clock::time_point::max();
    for (const auto& [pair, time] : waiting_) due = std::min(due, time);
    if (!stopping_ && Clock::now() < due) {
      wake_.wait_until(lock, due);
      continue;
    }
    analyse_one(lock);
  }
}

void Server::stop() {
  const std::lock_guard lock(mutex_);
  stopping_ = true;
  wake_.notify_all();
}

void Server::analyse_pending() {
  std::unique_lock lock(mutex_);
  while (!waiting_.empty()) analyse_one(lock);
}

void Server::respond(const json& id, json result) {
  send_(json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}.dump(
      -1, ' ', false, json::error_handler_t::replace));
}

void Server::respond_error(const json& id, int code, const std::string& message) {
  send_(
      json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}}.dump(
          -1, ' ', false, json::error_handler_t::replace));
}

void Server::notify(const std::string& method, json params) {
  send_(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump(
      -1, ' ', false, json::error_handler_t::replace));
}

int serve(std::istream& in, std::ostream& out, std::ostream& log, ServerOptions options) {
  Server server(
      std::move(options), [&out](const std::string& body) { write_frame(out, body); }, log);
  std::thread checks([&server] { server.analyse_in_background(); });
  FrameReader reader(in);
  while (!server.finished()) {
    const Frame frame = reader.next();
    if (frame.kind == Frame::Kind::kEnd) break;
    server.receive(frame);
  }
  server.stop();
  checks.join();
  return server.exit_status();
}

}  // namespace sc::lsp
