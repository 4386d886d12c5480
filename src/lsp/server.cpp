#include "lsp/server.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <future>
#include <istream>
#include <iterator>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "lsp/editor_text.h"
#include "lsp/outline.h"
#include "textio/utf8_path.h"

namespace sc::lsp {
namespace {

using nlohmann::json;

// A request the server does not know.
struct UnknownMethod : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parameters of the right JSON types whose values the server cannot take.
struct InvalidParams : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What a train file alone is told: without its line file there is no route.
constexpr std::string_view kNoLineFile =
    "no line file found for this train file: the train file \"L_T-.txt\" is checked with the "
    "line file \"L_linea.txt\" of the same directory; open or create it, or name the pair in "
    "the settings (\"pairs\": [{\"line\": ..., \"train\": ...}])";

// A lone line file is checked with a train file that has no rows.
std::string empty_train_file() {
  return std::string(kGeneralSection) + "\n" + std::string(section_name(Section::kEnd)) + "\n";
}

constexpr int kSeverityInformation = 3;

constexpr std::chrono::milliseconds kLongestDebounce{250};

// How long the end of the server waits, after exit, for the check that runs
// and for the messages still to be written, before it leaves them behind.
constexpr std::chrono::milliseconds kGraceAfterExit{100};
// How long it waits at the end of the input for what is left to write.
constexpr std::chrono::milliseconds kGraceToWrite{10000};

// A line or character: the protocol's positions are 0 to 2^31 - 1.
int position_number(const json& position, const char* key) {
  const json& value = position.at(key);
  constexpr auto kLargest = static_cast<uint64_t>(std::numeric_limits<int>::max());
  const bool fits = value.is_number_unsigned()  ? value.get<uint64_t>() <= kLargest
                    : value.is_number_integer() ? value.get<int64_t>() >= 0
                                                : false;
  if (!fits) {
    throw InvalidParams("a position's \"" + std::string(key) +
                        "\" is a whole number from 0 to 2147483647, not " + value.dump());
  }
  return value.get<int>();
}

Position position_from(const json& p) {
  return {position_number(p, "line"), position_number(p, "character")};
}

Range range_from(const json& r) {
  return {position_from(r.at("start")), position_from(r.at("end"))};
}

// A file that is not open, as the editor would show it.
std::string read_file_as_editor_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return editor_text_of_file(
      std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
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

bool is_document_request(const std::string& method) {
  return method == "textDocument/hover" || method == "textDocument/completion" ||
         method == "textDocument/documentSymbol" || method == "textDocument/definition" ||
         method == "textDocument/codeAction";
}

bool needs_problems(const std::string& method) {
  return method == "textDocument/definition" || method == "textDocument/codeAction";
}

// Reads the places a request names, so that a request the server cannot
// take is refused before it waits.
void validate_places(const std::string& method, const json& params) {
  params.at("textDocument").at("uri").get<std::string>();
  if (method == "textDocument/codeAction") range_from(params.at("range"));
  if (method == "textDocument/hover" || method == "textDocument/completion" ||
      method == "textDocument/definition") {
    position_from(params.at("position"));
  }
}

bool holds(const FilePair& pair, const std::filesystem::path& file) {
  return pair.line_file == file || pair.train_file == file;
}

// A whole number of at least 0 from the settings; nullopt for null.
std::optional<int64_t> setting_count(const json& value, const char* key) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_number_integer() || value.get<int64_t>() < 0 ||
      value.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    throw InvalidParams("the setting \"" + std::string(key) +
                        "\" is a whole number of 0 or more (or null), not " + value.dump());
  }
  return value.get<int64_t>();
}

// Messages on their way to the client, written by a thread of their own, so
// that a client that stops reading holds up no check and no answer.
class Outbox {
 public:
  void push(std::string body) {
    const std::lock_guard lock(mutex_);
    if (closed_) return;
    queue_.push_back(std::move(body));
    changed_.notify_all();
  }

  // Writes each message as it comes, until close() and the queue is empty.
  void write_to(std::ostream& out) {
    std::unique_lock lock(mutex_);
    while (true) {
      changed_.wait(lock, [&] { return closed_ || !queue_.empty(); });
      if (queue_.empty()) break;
      const std::string body = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      write_frame(out, body);
      lock.lock();
    }
    written_ = true;
    changed_.notify_all();
  }

  // No more messages: the writer ends once it has written those queued.
  void close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  bool wait_until_written(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return written_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> queue_;
  bool closed_ = false;
  bool written_ = false;
};

// Joins `thread` when it is `done`; else leaves it running.
void join_if(std::thread& thread, bool done) {
  if (done) {
    thread.join();
  } else {
    thread.detach();
  }
}

}  // namespace

struct Server::DocumentView {
  std::string uri;
  const std::string* text = nullptr;
  TextFile kind = TextFile::kLine;
};

Server::Server(ServerOptions options, Send send, std::ostream& log)
    : options_(std::move(options)), defaults_(options_), send_(std::move(send)), log_(log) {}

bool Server::finished() const {
  const std::lock_guard lock(mutex_);
  return exited_;
}

int Server::exit_status() const {
  const std::lock_guard lock(mutex_);
  return exited_ && !shut_down_ ? 1 : 0;
}

void Server::receive(const Frame& frame) {
  // Parsed before the lock is taken: a large document takes a while.
  const bool malformed = frame.kind == Frame::Kind::kMalformed;
  const json message = malformed ? json() : json::parse(frame.body, nullptr, false);
  const std::lock_guard lock(mutex_);
  if (exited_) return;
  if (malformed) {
    log("malformed message: " + frame.problem);
    respond_error(nullptr, error_code::kParseError, frame.problem);
    return;
  }
  if (message.is_discarded()) {
    log("a message body that is not JSON (" + std::to_string(frame.body.size()) + " bytes)");
    respond_error(nullptr, error_code::kParseError, "the message body is not JSON");
    return;
  }
  handle(message);
}

void Server::handle(const json& message) {
  if (!message.is_object()) {
    log("a message that is not a JSON object");
    respond_error(nullptr, error_code::kInvalidRequest, "a message is a JSON object");
    return;
  }
  const auto id = message.find("id");
  const bool has_id = id != message.end();
  // JSON-RPC: an id is a string, a number or null; any other cannot be
  // answered, so the error goes to null.
  const bool good_id = has_id && (id->is_string() || id->is_number() || id->is_null());
  const auto method = message.find("method");
  if (method == message.end() || !method->is_string()) {
    // A response to a request of ours: the server sends none, so it is dropped.
    if (has_id && (message.contains("result") || message.contains("error"))) return;
    log("a message that is neither a request nor a notification");
    respond_error(good_id ? *id : json(nullptr), error_code::kInvalidRequest,
                  "a message needs a \"method\" string");
    return;
  }
  if (has_id && !good_id) {
    log("a request whose id is " + id->dump());
    respond_error(nullptr, error_code::kInvalidRequest,
                  "a request's id is a string, a number or null, not " + id->dump());
    return;
  }
  const json params = message.value("params", json::object());
  if (!has_id) {
    try {
      notice(*method, params);
    } catch (const std::exception& e) {
      log(method->get<std::string>() + " failed: " + e.what());
    }
    return;
  }
  handle_request(*id, *method, params);
}

void Server::handle_request(const json& id, const std::string& method, const json& params) {
  if (!initialized_ && method != "initialize") {
    respond_error(id, error_code::kServerNotInitialized,
                  "the server takes no request before \"initialize\"");
    return;
  }
  if (shut_down_) {
    respond_error(id, error_code::kInvalidRequest, "the server has been shut down");
    return;
  }
  reply(id, method, [&] { return answer(id, method, params); });
}

void Server::reply(const json& id, const std::string& method,
                   const std::function<std::optional<json>()>& answer_of) {
  try {
    if (std::optional<json> result = answer_of()) respond(id, std::move(*result));
  } catch (const UnknownMethod& e) {
    respond_error(id, error_code::kMethodNotFound, e.what());
  } catch (const InvalidParams& e) {
    log(method + ": " + e.what());
    respond_error(id, error_code::kInvalidParams, e.what());
  } catch (const json::exception& e) {
    log(method + ": bad parameters: " + e.what());
    respond_error(id, error_code::kInvalidParams, e.what());
  } catch (const std::exception& e) {
    log(method + " failed: " + e.what());
    respond_error(id, error_code::kRequestFailed, e.what());
  }
}

json Server::initialize(const json& params) {
  if (initialized_) throw std::runtime_error("the server is already initialized");
  const auto root = params.find("rootUri");
  if (root != params.end() && root->is_string()) {
    root_ = path_of_uri(root->get<std::string>()).value_or("");
  }
  read_settings(params.value("initializationOptions", json(nullptr)));
  const json::json_pointer document_changes(
      "/capabilities/workspace/workspaceEdit/documentChanges");
  versioned_edits_ = params.contains(document_changes) && params[document_changes] == true;
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

// "pairs": [{"line": PATH, "train": PATH}] (paths relative to the workspace),
// "debounceMs" and "errorLimit", at the top or under "scenarioCompiler"; null
// puts a setting back to its default, and a setting that cannot be read is
// logged and left as it was.
void Server::read_settings(const json& settings) {
  if (!settings.is_object()) return;
  read_setting_values(settings);
  const auto nested = settings.find("scenarioCompiler");
  if (nested != settings.end() && nested->is_object()) read_setting_values(*nested);
}

void Server::read_setting_values(const json& settings) {
  const auto each = [&](const char* key, const std::function<void(const json&)>& read) {
    const auto value = settings.find(key);
    if (value == settings.end()) return;
    try {
      read(*value);
    } catch (const std::exception& e) {
      log(std::string("the setting \"") + key + "\" is left as it was: " + e.what());
    }
  };
  each("pairs", [&](const json& pairs) { read_pairs(pairs); });
  each("debounceMs", [&](const json& value) {
    const auto count = setting_count(value, "debounceMs");
    options_.debounce =
        count ? std::optional(std::chrono::milliseconds(*count)) : defaults_.debounce;
  });
  each("errorLimit", [&](const json& value) {
    const auto count = setting_count(value, "errorLimit");
    options_.error_limit = count ? static_cast<size_t>(*count) : defaults_.error_limit;
  });
}

void Server::read_pairs(const json& pairs) {
  if (pairs.is_null()) {
    settings_pairs_.clear();
    return;
  }
  std::vector<FilePair> read;
  for (const json& pair : pairs) {
    const auto resolve = [&](const char* key) {
      const std::filesystem::path path = path_from_utf8(pair.at(key).get<std::string>());
      return (path.is_absolute() ? path : root_ / path).lexically_normal();
    };
    read.push_back({resolve("line"), resolve("train")});
  }
  settings_pairs_ = std::move(read);
}

void Server::settings_changed() {
  settings_generation_ = ++events_;
  if (running_) cancel_running_ = 1;
  find_pairs();
  for (const auto& [pair, publishes_line] : pairs_) {
    schedule(pair, Clock::now() + delay_before_check(pair));
  }
}

Server::DocumentView Server::view(const json& params) const {
  DocumentView view;
  view.uri = params.at("textDocument").at("uri").get<std::string>();
  const auto pair = pair_of_document_.find(view.uri);
  // Not a scenario file: nothing to say about it.
  if (pair == pair_of_document_.end()) return view;
  view.text = documents_.text(view.uri);
  view.kind = pair->second.kind;
  return view;
}

std::optional<json> Server::answer(const json& id, const std::string& method, const json& params) {
  if (method == "initialize") return initialize(params);
  if (method == "shutdown") {
    shut_down_ = true;
    return nullptr;
  }
  if (!is_document_request(method)) throw UnknownMethod("no method \"" + method + "\"");
  validate_places(method, params);
  if (needs_problems(method)) {
    const std::string uri = params["textDocument"]["uri"];
    const auto pair = pair_of_document_.find(uri);
    if (pair != pair_of_document_.end() && !problems_are_current(uri)) {
      waiting_requests_.push_back({id, method, params, uri, generation(*path_of_uri(uri))});
      check_soon(pair->second.pair);
      return std::nullopt;
    }
  }
  return answer_about_document(method, params);
}

json Server::answer_about_document(const std::string& method, const json& params) {
  const DocumentView document = view(params);
  const bool list_answer = method == "textDocument/completion" ||
                           method == "textDocument/documentSymbol" ||
                           method == "textDocument/codeAction";
  if (!document.text) return list_answer ? json::array() : json(nullptr);
  const LineIndex lines(*document.text);
  const Outline outline = outline_of(lines, document.kind);
  const auto published = published_.find(document.uri);
  const std::vector<Published> none;
  const std::vector<Published>& problems =
      published == published_.end() ? none : published->second.problems;
  if (method == "textDocument/documentSymbol") return document_symbols(lines, outline);
  if (method == "textDocument/codeAction") {
    json actions = code_actions(document.uri, lines, problems, range_from(params.at("range")));
    if (versioned_edits_) {
      for (json& action : actions) action["edit"] = versioned(action["edit"]);
    }
    return actions;
  }
  const Position at = position_from(params.at("position"));
  if (method == "textDocument/hover") return hover(lines, outline, at);
  if (method == "textDocument/completion") return completion(lines, outline, document.kind, at);
  return definition(document.uri, problems, at);
}

void Server::notice(const std::string& method, const json& params) {
  if (method == "exit") {
    exit();
    return;
  }
  if (!initialized_ || shut_down_) return;
  if (method == "textDocument/didOpen") {
    open(params);
  } else if (method == "textDocument/didChange") {
    change(params);
  } else if (method == "textDocument/didClose") {
    close(params);
  } else if (method == "workspace/didChangeConfiguration") {
    read_settings(params.value("settings", json(nullptr)));
    settings_changed();
  } else if (method == "$/cancelRequest") {
    cancel_request(params.at("id"));
  }
  // Other notifications (didSave, initialized) need nothing.
}

void Server::exit() {
  exited_ = true;
  // Nobody is left to read what they would find.
  waiting_.clear();
  waiting_requests_.clear();
  cancel_running_ = 1;
  wake_.notify_all();
}

void Server::cancel_request(const json& id) {
  std::erase_if(waiting_requests_, [&](const WaitingRequest& request) {
    if (request.id != id) return false;
    respond_error(id, error_code::kRequestCancelled, "the request was cancelled");
    return true;
  });
}

// An edit of the documents as the client numbered them when the server last
// heard of them: a client that has changed one since refuses the edit.
json Server::versioned(const json& edit) const {
  json documents = json::array();
  for (const auto& [uri, edits] : edit.at("changes").items()) {
    const auto version = client_versions_.find(uri);
    documents.push_back(
        {{"textDocument",
          {{"uri", uri},
           {"version", version == client_versions_.end() ? json(nullptr) : version->second}}},
         {"edits", edits}});
  }
  return {{"documentChanges", std::move(documents)}};
}

void Server::open(const json& params) {
  const json& document = params.at("textDocument");
  const std::string uri = document.at("uri");
  documents_.open(uri, document.at("text").get<std::string>());
  client_versions_[uri] = document.value("version", json(nullptr));
  if (const auto path = path_of_uri(uri)) documents_changed(*path);
}

void Server::change(const json& params) {
  const std::string uri = params.at("textDocument").at("uri");
  std::vector<TextChange> changes;
  for (const json& change : params.at("contentChanges")) {
    changes.push_back({change.contains("range") ? std::optional<Range>(range_from(change["range"]))
                                                : std::nullopt,
                       change.at("text").get<std::string>()});
  }
  if (!documents_.change(uri, changes)) return;
  client_versions_[uri] = params["textDocument"].value("version", json(nullptr));
  if (const auto path = path_of_uri(uri)) text_changed(*path);
}

void Server::close(const json& params) {
  const std::string uri = params.at("textDocument").at("uri");
  documents_.close(uri);
  client_versions_.erase(uri);
  if (const auto path = path_of_uri(uri)) documents_changed(*path);
}

// An open or a close: the pairs may be others now, and the file's text is.
void Server::documents_changed(const std::filesystem::path& file) {
  find_pairs();
  text_changed(file);
  forget_files_no_pair_holds();
}

// A file that no pair of an open document publishes keeps no problems: they
// may be of a text that was discarded, and nothing would bring them up to
// date.
void Server::forget_files_no_pair_holds() {
  std::vector<std::string> forgotten;
  for (const auto& [uri, state] : published_) {
    const auto path = path_of_uri(uri);
    const bool held =
        path && std::any_of(pairs_.begin(), pairs_.end(), [&](const auto& entry) {
          const auto& [pair, publishes_line] = entry;
          return pair.train_file == *path || (publishes_line && pair.line_file == *path);
        });
    if (!held) forgotten.push_back(uri);
  }
  for (const std::string& uri : forgotten) publish_nothing(uri);
}

void Server::text_changed(const std::filesystem::path& file) {
  generations_[file] = ++events_;
  if (running_ && holds(running_->pair, file)) cancel_running_ = 1;
  for (const auto& [pair, publishes_line] : pairs_) {
    if (holds(pair, file)) schedule(pair, Clock::now() + delay_before_check(pair));
  }
  answer_waiting_requests();
}

void Server::find_pairs() {
  std::map<FilePair, bool> pairs;
  std::map<std::string, PairOf> pair_of_document;
  for (const std::string& uri : documents_.uris()) {
    const auto path = path_of_uri(uri);
    const auto pair = path ? pair_for(*path) : std::nullopt;
    if (!pair) continue;
    pair_of_document[uri] = *pair;
    pairs.try_emplace(pair->pair, false);
  }
  for (auto& [pair, publishes_line] : pairs) {
    if (pair.line_file.empty()) continue;
    const auto line_pair = pair_for(pair.line_file);
    publishes_line = line_pair && line_pair->pair == pair;
  }
  for (const auto& [pair, publishes_line] : pairs) {
    const auto before = pairs_.find(pair);
    if (before == pairs_.end() || before->second != publishes_line) {
      schedule(pair, Clock::now());
    }
  }
  for (const auto& [pair, publishes_line] : pairs_) {
    if (pairs.contains(pair)) continue;
    waiting_.erase(pair);
    if (running_ && running_->pair == pair) cancel_running_ = 1;
  }
  pairs_ = std::move(pairs);
  pair_of_document_ = std::move(pair_of_document);
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

void Server::schedule(const FilePair& pair, Clock::time_point when) {
  waiting_[pair] = when;
  wake_.notify_all();
}

// Without waiting for the debounce time, unless the check that runs is of the
// present texts.
void Server::check_soon(const FilePair& pair) {
  if (running_ && running_->pair == pair && running_->stamp == stamp_of(pair)) return;
  const auto now = Clock::now();
  const auto [waiting, added] = waiting_.try_emplace(pair, now);
  waiting->second = std::min(waiting->second, now);
  wake_.notify_all();
}

uint64_t Server::generation(const std::filesystem::path& file) const {
  const auto found = generations_.find(file);
  return found == generations_.end() ? 0 : found->second;
}

Server::Stamp Server::stamp_of(const FilePair& pair) const {
  return {generation(pair.line_file), generation(pair.train_file), settings_generation_};
}

bool Server::problems_are_current(const std::string& uri) const {
  const auto pair = pair_of_document_.find(uri);
  if (pair == pair_of_document_.end()) return true;
  const auto published = published_.find(uri);
  return published != published_.end() && published->second.pair == pair->second.pair &&
         published->second.stamp == stamp_of(pair->second.pair);
}

std::string Server::text_of(const std::filesystem::path& file) const {
  for (const std::string& uri : documents_.uris()) {
    if (path_of_uri(uri) == file) return *documents_.text(uri);
  }
  return read_file_as_editor_text(file);
}

std::string Server::uri_of(const std::filesystem::path& file) const {
  for (const std::string& uri : documents_.uris()) {
    if (path_of_uri(uri) == file) return uri;
  }
  return uri_of_path(file);
}

Server::Snapshot Server::take_snapshot(const FilePair& pair) const {
  Snapshot snapshot{pair, stamp_of(pair), {}, {}};
  if (!pair.line_file.empty()) snapshot.line_text = text_of(pair.line_file);
  snapshot.train_text = pair.train_file.empty() ? empty_train_file() : text_of(pair.train_file);
  return snapshot;
}

void Server::publish(const Snapshot& snapshot, const Analysis& analysis) {
  const bool publishes_line = pairs_.at(snapshot.pair);
  const std::string line_uri =
      snapshot.pair.line_file.empty() ? "" : uri_of(snapshot.pair.line_file);
  const std::string train_uri =
      snapshot.pair.train_file.empty() ? "" : uri_of(snapshot.pair.train_file);
  const auto place = [&](const Spot& spot, const Spot& end) -> std::pair<std::string, Range> {
    return {spot.side == Side::kTrainFile ? train_uri : line_uri, range_of(spot, end)};
  };
  // The route's own problems stand in the line file; a pair that does not
  // publish the line file's shows them in its train file.
  const std::string route_uri = publishes_line ? line_uri : train_uri;
  std::map<std::string, std::vector<Published>> by_uri;
  if (publishes_line) by_uri[line_uri];
  if (!train_uri.empty()) by_uri[train_uri];
  for (const Problem& problem : analysis.problems) {
    auto [uri, range] = place(problem.at, problem.end);
    if (problem.at.side == Side::kRoute) uri = route_uri;
    if (!by_uri.contains(uri)) continue;
    Published published{range, problem, {}};
    for (const RelatedNote& note : problem.notes) {
      auto [note_uri, note_range] = note.at.line > 0 ? place(note.at, {}) : std::pair(uri, range);
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
    if (uri == route_uri && analysis.stopped_at_error_limit) {
      diagnostics.push_back(
          {{"range", range_json({})},
           {"severity", kSeverityInformation},
           {"code", "error-limit"},
           {"source", "scenario-compiler"},
           {"message", "the check stopped after " + std::to_string(options_.error_limit) +
                           " errors; the setting \"errorLimit\": 0 shows them all"}});
    }
    published_[uri] = {snapshot.pair, snapshot.stamp, std::move(list)};
    notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", diagnostics}});
  }
}

void Server::publish_nothing(const std::string& uri) {
  published_.erase(uri);
  notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}});
}

// Answers each waiting request whose document's problems are out; one whose
// document changed since is refused, as the protocol does for a result that
// the change made void.
void Server::answer_waiting_requests() {
  std::vector<WaitingRequest> still;
  for (WaitingRequest& request : waiting_requests_) {
    const auto path = path_of_uri(request.uri);
    const bool open = documents_.text(request.uri) != nullptr;
    if (open && generation(*path) != request.generation) {
      respond_error(request.id, error_code::kContentModified,
                    "the document changed before the answer was ready");
    } else if (!open || problems_are_current(request.uri)) {
      reply(request.id, request.method, [&]() -> std::optional<json> {
        return answer_about_document(request.method, request.params);
      });
    } else {
      still.push_back(std::move(request));
    }
  }
  waiting_requests_ = std::move(still);
}

// Runs without the lock; nullopt when cancelled. A failure is told in
// `failure`, for the caller to log once it holds the lock again.
std::optional<Analysis> Server::check_snapshot(const Snapshot& snapshot, size_t error_limit,
                                               std::string& failure) {
  const FilePair& pair = snapshot.pair;
  if (pair.line_file.empty()) return Analysis{};
  const StopFlag stop(cancel_running_);
  try {
    return analyse_pair(snapshot.line_text, snapshot.train_text,
                        options_.compiler(pair.line_file, pair.train_file, stop),
                        {error_limit, stop});
  } catch (const WorkStopped&) {
    return std::nullopt;
  } catch (const std::exception& e) {
    failure = "the check of " + utf8_of(pair.line_file) + " failed: " + e.what();
  }
  return Analysis{};
}

void Server::analyse_one(std::unique_lock<std::mutex>& lock) {
  auto earliest = waiting_.begin();
  for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
    if (it->second < earliest->second) earliest = it;
  }
  const FilePair pair = earliest->first;
  waiting_.erase(earliest);
  if (!pairs_.contains(pair)) return;
  const Snapshot snapshot = take_snapshot(pair);
  const size_t error_limit = options_.error_limit;
  running_ = Running{pair, snapshot.stamp};
  cancel_running_ = 0;
  lock.unlock();
  const auto start = Clock::now();
  std::string failure;
  const std::optional<Analysis> analysis = check_snapshot(snapshot, error_limit, failure);
  const auto took = Clock::now() - start;
  lock.lock();
  running_.reset();
  if (exited_) return;
  if (!failure.empty()) log(failure);
  if (analysis) last_check_[pair] = took;
  const bool current = pairs_.contains(pair) && stamp_of(pair) == snapshot.stamp;
  if (!current || !analysis) {
    // What made it void scheduled the check of the present texts.
    if (pairs_.contains(pair) && !waiting_.contains(pair)) schedule(pair, Clock::now());
    return;
  }
  publish(snapshot, *analysis);
  answer_waiting_requests();
}

void Server::analyse_in_background() {
  std::unique_lock lock(mutex_);
  while (!exited_) {
    if (waiting_.empty()) {
      if (stopping_) return;
      wake_.wait(lock);
      continue;
    }
    const Clock::time_point due = earliest_due();
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
  while (!waiting_.empty() && !exited_) analyse_one(lock);
}

std::optional<Server::Clock::duration> Server::time_to_next_check() const {
  const std::lock_guard lock(mutex_);
  if (waiting_.empty() || exited_) return std::nullopt;
  return std::max(Clock::duration{}, earliest_due() - Clock::now());
}

void Server::analyse_due() {
  std::unique_lock lock(mutex_);
  while (!waiting_.empty() && !exited_ && earliest_due() <= Clock::now()) analyse_one(lock);
}

Server::Clock::time_point Server::earliest_due() const {
  Clock::time_point due = Clock::time_point::max();
  for (const auto& [pair, time] : waiting_) due = std::min(due, time);
  return due;
}

void Server::respond(const json& id, json result) {
  if (exited_) return;
  send_(json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}.dump(
      -1, ' ', false, json::error_handler_t::replace));
}

void Server::respond_error(const json& id, int code, const std::string& message) {
  if (exited_) return;
  send_(
      json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}}.dump(
          -1, ' ', false, json::error_handler_t::replace));
}

void Server::notify(const std::string& method, json params) {
  if (exited_) return;
  send_(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump(
      -1, ' ', false, json::error_handler_t::replace));
}

void Server::log(const std::string& line) {
  if (exited_) return;
  log_ << "scenario-compiler lsp: " << line << '\n';
}

int serve(std::istream& in, std::ostream& out, std::ostream& log, ServerOptions options) {
  const auto outbox = std::make_shared<Outbox>();
  std::thread writer([outbox, &out] { outbox->write_to(out); });
  const auto server = std::make_shared<Server>(
      std::move(options), [outbox](const std::string& body) { outbox->push(body); }, log);
  std::packaged_task<void()> checking([server] { server->analyse_in_background(); });
  std::future<void> checked = checking.get_future();
  std::thread checks(std::move(checking));
  FrameReader reader(in);
  while (!server->finished()) {
    const Frame frame = reader.next();
    if (frame.kind == Frame::Kind::kEnd) break;
    server->receive(frame);
  }
  // After exit the check that runs stops at its compile's next row; at the
  // end of the input the waiting checks still run.
  server->stop();
  const bool exited = server->finished();
  if (exited) {
    join_if(checks, checked.wait_for(kGraceAfterExit) == std::future_status::ready);
  } else {
    checks.join();
  }
  outbox->close();
  join_if(writer, outbox->wait_until_written(exited ? kGraceAfterExit : kGraceToWrite));
  return server->exit_status();
}

}  // namespace sc::lsp
