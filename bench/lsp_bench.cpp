// The language server on long pairs: its answer to an edit, from the change
// message to the diagnostics of both files, against one check of the same
// pair (the ratio_to_check counter is the server's time over the check's;
// the aim is at most 1.5), and its answers to hover and completion requests
// deep in a 1000 km pair (the aim is under 50 ms each).
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "check/check.h"
#include "dense_route.h"
#include "lsp/server.h"
#include "route_generator.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kLineUri = "file:///bench/Gen_linea.txt";
constexpr std::string_view kTrainUri = "file:///bench/Gen_T1-.txt";
// No answer comes later than this; a bench that waits longer has failed.
constexpr auto kLongestWait = std::chrono::seconds(120);

// range(0) metres of the generated route, or of the dense one when range(1)
// is 1.
sc::RouteTexts route_of(const benchmark::State& state) {
  const auto length = static_cast<int32_t>(state.range(0));
  return state.range(1) == 1 ? sc::dense_route(length) : sc::generate_route(length);
}

sc::lsp::Frame message(const json& body) {
  return {sc::lsp::Frame::Kind::kMessage, body.dump(), {}};
}

sc::lsp::Frame open(std::string_view uri, const std::string& text) {
  return message(
      {{"jsonrpc", "2.0"},
       {"method", "textDocument/didOpen"},
       {"params",
        {{"textDocument",
          {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}}}});
}

// Types `digit` over the adjustment of the first kilometre reference, line 3
// of the generated line file: "progressiva chilometrica uno, 0, 0, 0".
sc::lsp::Frame edit(int version, const std::string& digit) {
  constexpr int kLine = 2;
  constexpr int kColumn = 36;
  const json range = {{"start", {{"line", kLine}, {"character", kColumn}}},
                      {"end", {{"line", kLine}, {"character", kColumn + 1}}}};
  return message({{"jsonrpc", "2.0"},
                  {"method", "textDocument/didChange"},
                  {"params",
                   {{"textDocument", {{"uri", kLineUri}, {"version", version}}},
                    {"contentChanges", {{{"range", range}, {"text", digit}}}}}}});
}

double seconds_of_one_check(const sc::RouteTexts& route, const sc::CompileTexts& compile) {
  const auto start = Clock::now();
  benchmark::DoNotOptimize(sc::check_sources(route.line, route.train, {}, compile));
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts the messages the server sends, for a waiting benchmark.
class Publications {
 public:
  void add() {
    const std::lock_guard lock(mutex_);
    ++count_;
    arrived_.notify_all();
  }
  // False when they have not come within kLongestWait.
  [[nodiscard]] bool wait_for(int count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, kLongestWait, [&] { return count_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  int count_ = 0;
};

// The server as it runs, its checks on their own thread with the debounce
// it chooses itself, initialized and with both files of `route` open.
class RunningServer {
 public:
  RunningServer(const sc::RouteTexts& route, const sc::CompileTexts& compile)
      : options_(options_of(compile)),
        server_(
            options_, [this](const std::string&) { publications.add(); }, log_),
        checks_([this] { server_.analyse_in_background(); }) {
    server_.receive(message(
        {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}));
    server_.receive(open(kLineUri, route.line));
    server_.receive(open(kTrainUri, route.train));
  }
  ~RunningServer() {
    server_.stop();
    checks_.join();
  }
  void receive(const sc::lsp::Frame& frame) { server_.receive(frame); }

  Publications publications;

 private:
  static sc::lsp::ServerOptions options_of(const sc::CompileTexts& compile) {
    sc::lsp::ServerOptions options;
    options.compiler = [&compile](const auto&, const auto&, const auto&) { return compile; };
    return options;
  }

  sc::lsp::ServerOptions options_;
  std::ostringstream log_;
  sc::lsp::Server server_;
  std::thread checks_;
};

// Each iteration times one change until the diagnostics of both files are
// out, then one check of the same pair outside the timing, so that both see
// the same load.
void BM_LspDiagnosticsAfterAChange(benchmark::State& state) {
  const sc::RouteTexts route = route_of(state);
  const sc::CompileTexts compile = sc::compile_as_compile_does("Gen", "T1");
  RunningServer server(route, compile);
  int expected = 1 + 2;  // the answer to initialize, then both files
  if (!server.publications.wait_for(expected)) state.SkipWithError("no diagnostics after opening");

  int version = 2;
  double server_seconds = 0;
  double check_seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    server.receive(edit(version, version % 2 ? "1" : "0"));
    expected += 2;
    if (!server.publications.wait_for(expected)) {
      state.SkipWithError("no diagnostics after a change");
      break;
    }
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(took);
    server_seconds += took;
    check_seconds += seconds_of_one_check(route, compile);
    ++version;
  }
  state.counters["check_ms"] = check_seconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["ratio_to_check"] = server_seconds / check_seconds;
}
BENCHMARK(BM_LspDiagnosticsAfterAChange)
    ->Args({100000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

sc::lsp::Frame request(int id, std::string_view method, std::string_view uri, int line,
                       int character) {
  return message({{"jsonrpc", "2.0"},
                  {"id", id},
                  {"method", method},
                  {"params",
                   {{"textDocument", {{"uri", uri}}},
                    {"position", {{"line", line}, {"character", character}}}}}});
}

// One request at a time at a row near the end of the dense 1000 km line
// file (range(0) 0: hover on its position, 1: completion of its keyword),
// once the diagnostics of the opened pair are out.
void BM_LspAnswerDeepInALongPair(benchmark::State& state) {
  const sc::RouteTexts route = sc::dense_route(sc::kLongestRoute);
  const sc::CompileTexts compile = sc::compile_as_compile_does("Gen", "T1");
  RunningServer server(route, compile);
  int expected = 1 + 2;
  if (!server.publications.wait_for(expected)) state.SkipWithError("no diagnostics after opening");
  const bool hover = state.range(0) == 0;
  constexpr int kRow = 19000;  // a gradient row near the end of the line file
  int id = 2;
  for (auto _ : state) {
    server.receive(request(id++, hover ? "textDocument/hover" : "textDocument/completion", kLineUri,
                           kRow, hover ? 12 : 3));
    if (!server.publications.wait_for(++expected)) {
      state.SkipWithError("no answer");
      break;
    }
  }
  state.SetLabel(hover ? "hover" : "completion");
}
BENCHMARK(BM_LspAnswerDeepInALongPair)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
