#pragma once

#include <chrono>
#include <condition_variable>
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
  // makes one check (so do the changes made while a check runs). Unset, it is
  // an eighth of the pair's last check (capped), so that a small pair is
  // checked at once and a change is answered in little more than the time of
  // one check; a client may set it at initialize.
  std::optional<std::chrono::milliseconds> debounce;
};

// The language server's state and its answers. Messages come in through
// receive(); the checks run in analyse_in_background() on a thread of their
// own, which takes each pair once its debounce time is up.
class Server {
 public:
  using Send = std::function<void(const std::string& body)>;
  Server(ServerOptions options, Send send, std::ostream& log);

  void receive(const Frame& frame);
  bool finished() const;
  // 0 after shutdown and exit, or when the input ended; 1 for an exit without
  // shutdown, as the protocol asks.
  int exit_status() const;

  // Checks each pair when its time comes, until stop(); then checks those
  // still waiting and returns.
  void analyse_in_background();
  void stop();
  // Checks every waiting pair at once (for callers without a thread).
  void analyse_pending();

 private:
  using Clock = std::chrono::steady_clock;
  struct Snapshot {
    FilePair pair;
    std::string line_text;
    std::string train_text;
  };

  void handle(const nlohmann::json& message);
  nlohmann::json answer(const std::string& method, const nlohmann::json& params);
  void notice(const std::string& method, const nlohmann::json& params);
  void respond(const nlohmann::json& id, nlohmann::json result);
  void respond_error(const nlohmann::json& id, int code, const std::string& message);
  void notify(const std::string& method, nlohmann::json params);

  nlohmann::json initialize(const nlohmann::json& params);
  void read_settings(const nlohmann::json& settings);
  void schedule(const std::string& uri);
  Clock::duration delay_before_check(const FilePair& pair) const;
  std::optional<PairOf> pair_for(const std::filesystem::path& file) const;
  std::string text_of(const std::filesystem::path& file) const;
  Snapshot take_snapshot(const FilePair& pair) const;
  std::vector<Problem> check_snapshot(const Snapshot& snapshot, std::string& failure) const;
  void log_failure(const std::string& failure);
  void publish(const Snapshot& snapshot, const std::vector<Problem>& problems);
  void analyse_one(std::unique_lock<std::mutex>& lock);
  void analyse_waiting_pair_of(const std::string& uri);

  struct DocumentView;
  DocumentView view(const nlohmann::json& params) const;

  ServerOptions options_;
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
  std::map<FilePair, Clock::time_point> waiting_;
  std::map<FilePair, Clock::duration> last_check_;
  std::map<std::string, std::vector<Published>> published_;  // by document URI
};

// Serves one client on `in` and `out` until exit or the end of the input; logs
// to `log`. Returns the exit status.
int serve(std::istream& in, std::ostream& out, std::ostream& log, ServerOptions options);

}  // namespace sc::lsp
