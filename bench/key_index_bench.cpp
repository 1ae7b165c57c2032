// Timings on one table of 100,000 rows: select and update by key with and
// without the primary-key index, building the index, loading and committing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "query/query_engine.h"
#include "storage/config_source.h"

namespace {
constexpr int kRows = 100000;
std::string tablePath;

void WriteTable(const std::string& path) {
  std::ofstream out(path);
  out << "Root VersionFivePointZero\n{\nTable Big\n{\nTableDefinition Name|Group|Count|Note\n"
         "TableType String|String|Int|String\nTableContents\n{\n";
  for (int i = 0; i < kRows; ++i) out << "r" << i << " key" << i << "|g" << i % 50 << "|" << i << "|note\n";
  out << "}\n}\n}\n";
}

struct LoadedTable {
  explicit LoadedTable(bool indexed) {
    source.LoadAttributesFromFile(tablePath.c_str());
    if (indexed) engine.Query("sort table Big on Name", &results);
  }
  tConfigSource source;
  tSqlQueryEngine engine{&source};
  ResultSet results;
};

// Runs `format` with a random key per iteration; state.range(0) chooses the index.
void RunByKey(benchmark::State& state, const char* format) {
  LoadedTable db(state.range(0) == 1);
  std::mt19937 random(1);
  char statement[160];
  for (auto _ : state) {
    std::snprintf(statement, sizeof statement, format, static_cast<int>(random() % kRows));
    if (db.engine.Query(statement, &db.results) != S_OK) state.SkipWithError(statement);
  }
}

void BM_SelectByKey(benchmark::State& state) { RunByKey(state, "select * from Big where Name = 'key%d'"); }
void BM_UpdateByKey(benchmark::State& state) { RunByKey(state, "update Big set Note = 'changed' where Name = 'key%d'"); }

void BM_SortOnKey(benchmark::State& state) {
  LoadedTable db(false);
  for (auto _ : state) db.engine.Query("sort table Big on Name", &db.results);
}

// Each load hands the previous tree to the deleter thread in one push.
void BM_Load(benchmark::State& state) {
  tConfigSource source;
  for (auto _ : state)
    if (!source.LoadAttributesFromFile(tablePath.c_str())) state.SkipWithError("load failed");
}

// Commit of the table after every row was edited.
void BM_Commit(benchmark::State& state) {
  LoadedTable db(false);
  for (auto _ : state) {
    state.PauseTiming();
    db.engine.Query("update Big set Note = 'edited' where 1", &db.results);
    state.ResumeTiming();
    if (db.engine.Commit() != S_OK) state.SkipWithError("commit failed");
  }
}
}  // namespace

BENCHMARK(BM_SelectByKey)->ArgName("indexed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateByKey)->ArgName("indexed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortOnKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Commit)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  tablePath = (std::filesystem::temp_directory_path() / ("vexa-bench-" + std::to_string(getpid()) + ".cfg")).string();
  WriteTable(tablePath);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(tablePath);
  return 0;
}
