// The workbench's pages of a generated file's ParameterDefaults table, up to
// the JSON text the server sends: the first page as the table stands, and a page
// half-way into it. Rows: --rows=N (default 1,000,000); the file is kept in
// $VEXA_BENCH_DATA (default bench-data) for the next run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "bench/generated_config.h"
#include "tools/trace_recorder.h"
#include "tools/workbench.h"

namespace {
int rowCount = 1000000;

struct OpenFile {
  ToolSession session;
  std::unique_ptr<Workbench> workbench;
};

Workbench& Opened() {
  static OpenFile* file = [] {
    const char* data = std::getenv("VEXA_BENCH_DATA");
    const GeneratedConfig config = GenerateConfig(data ? data : "bench-data", rowCount);
    auto* opened = new OpenFile;
    if (FAILED(opened->session.Open(config.textPath))) std::abort();
    opened->workbench = std::make_unique<Workbench>(opened->session, "", true);
    return opened;
  }();
  return *file->workbench;
}

void PageOf(benchmark::State& state, PageRequest request) {
  Workbench& workbench = Opened();
  for (auto _ : state) {
    const std::string json = workbench.Page(request).dump();
    benchmark::DoNotOptimize(json.data());
  }
}

void BM_FirstPage(benchmark::State& state) { PageOf(state, {"ParameterDefaults", "", "", false, 0, 100}); }
void BM_MiddlePage(benchmark::State& state) {
  PageOf(state, {"ParameterDefaults", "", "", false, size_t(rowCount / 2), 100});
}
BENCHMARK(BM_FirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MiddlePage)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--rows=", 7) == 0) rowCount = std::atoi(argv[i] + 7);
  RecordTraces();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
