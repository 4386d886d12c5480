#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "lsp/analysis.h"
#include "lsp/documents.h"
#include "lsp/features.h"
#include "lsp/json_rpc.h"

namespace sc::lsp {

struct ServerOptions {
  CompilerFor compiler;
  // How long after a change the pair is checked, so that a burst of changes
  // makes one check. Unset, it is an eighth of the pair's last check
  // (capped), so that a small pair is checked at once; a client may set it.
  std::optional<std::chrono::milliseconds> debounce;
  size_t error_limit = 20;  // as check's --error-limit; 0 for all; a client may set it
};

// The language server's state and its answers. Messages come in through
// receive(); the checks run in analyse_in_background() on a thread of their
// own, which takes each pair once its debounce time is up.
//
// Every check is stamped with the generations of the two texts it read (a
// generation moves on with each open, change and close of a file) and of the
// settings. A result whose stamp is no longer the pair's is dropped unsent, a
// newer change cancels the check that runs, and a request that needs the
// problems of a document (definition, code actions) waits until those of its
// present text are out.
class Server {
 public:
  using Send = std::function<void(const std::string& body)>;
  Server(ServerOptions options, Send send, std::ostream& log);

  void receive(const Frame& frame);
  bool finished() const;
  // 0 after shutdown and exit, or when the input ended; 1 for an exit without
  // shutdown, as the protocol asks.
  int exit_status() const;

  // Checks each pair when its time comes, until stop() (then it checks those
  // still waiting and returns) or exit (then it returns at once, the check
  // that runs cancelled).
  void analyse_in_background();
  void stop();
  // Checks every waiting pair at once (for callers without a thread).
  void analyse_pending();
  // For callers without a thread, that keep a timer instead: how long until
  // the next pair is due (nullopt when none waits), and the check of those
  // whose time has come.
  std::optional<std::chrono::steady_clock::duration> time_to_next_check() const;
  void analyse_due();

 private:
  using Clock = std::chrono::steady_clock;
  struct Stamp {
    uint64_t line = 0;
    uint64_t train = 0;
    uint64_t settings = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Snapshot {
    FilePair pair;
    Stamp stamp;
    std::string line_text;
    std::string train_text;
  };
  // The problems last published for a document, and the check they came from.
  struct PublishedState {
    FilePair pair;
    Stamp stamp;
    std::vector<Published> problems;
  };
  // A request that waits for the problems of the present text.
  struct WaitingRequest {
    nlohmann::json id;
    std::string method;
    nlohmann::json params;
    std::string uri;
    uint64_t generation = 0;  // of the document when it was asked
  };

  void handle(const nlohmann::json& message);
  void handle_request(const nlohmann::json& id, const std::string& method,
                      const nlohmann::json& params);
  // Sends what `answer_of` gives (nothing for nullopt), or the error it throws.
  void reply(const nlohmann::json& id, const std::string& method,
             const std::function<std::optional<nlohmann::json>()>& answer_of);
  // nullopt when the request waits for the problems of the present text.
  std::optional<nlohmann::json> answer(const nlohmann::json& id, const std::string& method,
                                       const nlohmann::json& params);
  nlohmann::json answer_about_document(const std::string& method, const nlohmann::json& params);
  void notice(const std::string& method, const nlohmann::json& params);
  void exit();
  void cancel_request(const nlohmann::json& id);
  void respond(const nlohmann::json& id, nlohmann::json result);
  void respond_error(const nlohmann::json& id, int code, const std::string& message);
  void notify(const std::string& method, nlohmann::json params);
  void log(const std::string& line);

  nlohmann::json initialize(const nlohmann::json& params);
  void read_settings(const nlohmann::json& settings);
  void read_setting_values(const nlohmann::json& settings);
  void read_pairs(const nlohmann::json& pairs);
  void settings_changed();

  nlohmann::json versioned(const nlohmann::json& edit) const;
  void open(const nlohmann::json& params);
  void change(const nlohmann::json& params);
  void close(const nlohmann::json& params);
  void documents_changed(const std::filesystem::path& file);
  void text_changed(const std::filesystem::path& file);
  void forget_files_no_pair_holds();
  void find_pairs();
  void schedule(const FilePair& pair, Clock::time_point when);
  void check_soon(const FilePair& pair);
  Clock::duration delay_before_check(const FilePair& pair) const;
  std::optional<PairOf> pair_for(const std::filesystem::path& file) const;

  uint64_t generation(const std::filesystem::path& file) const;
  Stamp stamp_of(const FilePair& pair) const;
  bool problems_are_current(const std::string& uri) const;
  std::string text_of(const std::filesystem::path& file) const;
  std::string uri_of(const std::filesystem::path& file) const;
  Snapshot take_snapshot(const FilePair& pair) const;
  std::optional<Analysis> check_snapshot(const Snapshot& snapshot, size_t error_limit,
                                         std::string& failure);
  void publish(const Snapshot& snapshot, const Analysis& analysis);
  void publish_nothing(const std::string& uri);
  void answer_waiting_requests();
  void analyse_one(std::unique_lock<std::mutex>& lock);
  Clock::time_point earliest_due() const;

  struct DocumentView;
  DocumentView view(const nlohmann::json& params) const;

  ServerOptions options_;
  const ServerOptions defaults_;  // what a setting of null goes back to
  Send send_;
  std::ostream& log_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool initialized_ = false;
  bool shut_down_ = false;
  bool exited_ = false;
  bool stopping_ = false;
  std::filesystem::path root_;
  std::vector<FilePair> settings_pairs_;
  DocumentStore documents_;
  std::map<std::string, nlohmann::json> client_versions_;  // by URI, as the client numbers them
  bool versioned_edits_ = false;  // the client takes edits of given versions

  uint64_t events_ = 0;  // the last generation given out
  std::map<std::filesystem::path, uint64_t> generations_;
  uint64_t settings_generation_ = 0;
  // The pairs of the open documents, each with whether it is the one that
  // publishes its line file's problems (a line file is checked with one train
  // file; the others publish only their own).
  std::map<FilePair, bool> pairs_;
  std::map<std::string, PairOf> pair_of_document_;  // by URI

  std::map<FilePair, Clock::time_point> waiting_;
  struct Running {
    FilePair pair;
    Stamp stamp;
  };
  std::optional<Running> running_;
  std::atomic<int> cancel_running_ = 0;  // stops the running check, in its compile too
  std::map<FilePair, Clock::duration> last_check_;
  std::map<std::string, PublishedState> published_;  // by document URI
  std::vector<WaitingRequest> waiting_requests_;
};

// Serves one client on `in` and `out` until exit or the end of the input; logs
// to `log`. Returns the exit status. After exit it returns at once: a check
// still running, and a write to a client that has stopped reading, are left
// to threads of their own, so the caller should end the process.
int serve(std::istream& in, std::ostream& out, std::ostream& log, ServerOptions options);

}  // namespace sc::lsp
