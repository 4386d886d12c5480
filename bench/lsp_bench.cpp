// The language server's answer to an edit of a 100 km pair: from the change
// message to the diagnostics of both files, against one check of the same
// pair. The ratio_to_check counter is the server's time over the check's;
// the aim is at most 1.5.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "check/check.h"
#include "lsp/server.h"
#include "route_generator.h"

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kLineUri = "file:///bench/Gen_linea.txt";
constexpr std::string_view kTrainUri = "file:///bench/Gen_T1-.txt";

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

// Counts the diagnostics the server publishes, for a waiting benchmark.
class Publications {
 public:
  void add() {
    const std::lock_guard lock(mutex_);
    ++count_;
    arrived_.notify_all();
  }
  void wait_for(int count) {
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [&] { return count_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  int count_ = 0;
};

// The server as it runs, checks on their own thread with the debounce it
// chooses itself; each iteration times one change until the diagnostics of
// both files are out, then one check of the same pair outside the timing, so
// that both see the same load.
void BM_LspDiagnosticsAfterAChange(benchmark::State& state) {
  const sc::RouteTexts route = sc::generate_route(static_cast<int32_t>(state.range(0)));
  const sc::CompileTexts compile = sc::compile_as_compile_does("Gen", "T1");

  sc::lsp::ServerOptions options;
  options.compiler = [&compile](const auto&, const auto&) { return compile; };
  Publications publications;
  std::ostringstream log;
  sc::lsp::Server server(
      options, [&publications](const std::string&) { publications.add(); }, log);
  std::thread checks([&server] { server.analyse_in_background(); });
  server.receive(message(
      {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}));
  server.receive(open(kLineUri, route.line));
  server.receive(open(kTrainUri, route.train));
  int expected = 1 + 2;  // the answer to initialize, then both files
  publications.wait_for(expected);

  int version = 2;
  double server_seconds = 0;
  double check_seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    server.receive(edit(version, version % 2 ? "1" : "0"));
    expected += 2;
    publications.wait_for(expected);
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(took);
    server_seconds += took;
    check_seconds += seconds_of_one_check(route, compile);
    ++version;
  }
  server.stop();
  checks.join();
  state.counters["check_ms"] = check_seconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["ratio_to_check"] = server_seconds / check_seconds;
}
BENCHMARK(BM_LspDiagnosticsAfterAChange)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace
