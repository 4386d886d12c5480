// In-process costs of the pipeline's steps: the compile call (both text
// files, post-pass, markers and codes) and the serialization of the binary
// files, for the built-in scenario and for generated routes.
#include <benchmark/benchmark.h>

#include "documents/documents.h"
#include "driver/pipeline.h"
#include "output/binary_files.h"
#include "route_generator.h"

namespace {

constexpr sc::ProfileChoice kBuildProfile = sc::ProfileChoice::kBuild;

const sc::ScenarioFileNames kNames = sc::scenario_file_names("out", "Gen", "T1");

sc::SourceTexts builtin_texts() {
  return {sc::render_document(sc::dati_linea()), sc::render_document(sc::dati_treno())};
}

sc::SourceTexts route_texts(int32_t length) {
  sc::RouteTexts texts = sc::generate_route(length);
  return {std::move(texts.line), std::move(texts.train)};
}

size_t output_bytes(const sc::RunOutcome& run) {
  size_t bytes = 0;
  for (const sc::OutputFile& file : sc::binary_files(run.model, kNames)) {
    file.write([&bytes](std::string_view piece) { bytes += piece.size(); });
  }
  return bytes;
}

// What the one-shot run does in memory: render the five documents, compile
// the two text files, serialize the three binary files.
void BM_OneShotInMemory(benchmark::State& state) {
  for (auto _ : state) {
    size_t bytes = 0;
    for (auto* document :
         {sc::dati_linea, sc::dati_treno, sc::dati_note, sc::dati_rallentamenti, sc::dati_scheda}) {
      bytes += sc::render_document(document()).size();
    }
    const sc::RunOutcome run = sc::memorizza_percorso(builtin_texts(), "L", "T", kBuildProfile);
    bytes += output_bytes(run);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_OneShotInMemory)->Unit(benchmark::kMicrosecond);

void BM_CompileRoute(benchmark::State& state) {
  const sc::SourceTexts texts = route_texts(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    const sc::RunOutcome run = sc::memorizza_percorso(texts, "Gen", "T1", kBuildProfile);
    benchmark::DoNotOptimize(run.model.cells.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(texts.line_text->size() + texts.train_text->size()));
}
BENCHMARK(BM_CompileRoute)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SerializeRoute(benchmark::State& state) {
  const sc::RunOutcome run = sc::memorizza_percorso(
      route_texts(static_cast<int32_t>(state.range(0))), "Gen", "T1", kBuildProfile);
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = output_bytes(run);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SerializeRoute)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
