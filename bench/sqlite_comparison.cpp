// VexaConfig against an in-memory SQLite on the same generated version 5
// configuration, at each row count asked for: load, a key select without and
// with an index, 10,000 upserts by key, the delete of one parameter set with its
// commit, and save. Prints a table of our time / SQLite time per operation.
//   vexa_sqlite_bench [--rows=10000,100000,1000000] [--data=FOLDER] [benchmark flags]
//   vexa_sqlite_bench --memory --rows=N [--data=FOLDER]   memory held per 100,000 rows
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/generated_config.h"
#include "bench/sqlite_mirror.h"
#include "query/query_engine.h"
#include "storage/config_source.h"

namespace {
constexpr int kUpserts = 10000;
std::string dataFolder = "bench-data";

// The key asked for: P50000 at 100,000 rows, the middle row at any count.
std::string MiddleKey(int rows) { return "P" + std::to_string(rows / 2); }

// Both engines holding the configuration of one row count. One at a time.
struct World {
  explicit World(int count) : rows(count), files(GenerateConfig(dataFolder, count)) {
    ReloadOurs();
    parsed = ParseTables(source.Root());
    ReloadSqlite();
  }
  void ReloadOurs() {
    if (!source.LoadAttributesFromFile(files.textPath.c_str())) std::abort();
    indexed = false;
  }
  void ReloadSqlite() {
    sqlite = std::make_unique<SqliteMirror>();
    sqlite->Load(parsed);
    indexed = false;
  }
  void Index() {
    if (indexed) return;
    if (engine.Query("sort table ParameterDefaults on Parameter", &results) != S_OK) std::abort();
    sqlite->Execute("CREATE INDEX IF NOT EXISTS ParameterKey ON ParameterDefaults (Parameter)");
    indexed = true;
  }

  int rows;
  GeneratedConfig files;
  tConfigSource source;
  tSqlQueryEngine engine{&source};
  ResultSet results;
  std::vector<ParsedTable> parsed;
  std::unique_ptr<SqliteMirror> sqlite;
  bool indexed = false;
};

World& WorldOf(int rows) {
  static std::unique_ptr<World> world;
  if (!world || world->rows != rows) {
    world.reset();
    world = std::make_unique<World>(rows);
  }
  return *world;
}

void Require(benchmark::State& state, bool ok, const char* what) {
  if (!ok) state.SkipWithError(what);
}

void LoadOurs(benchmark::State& state, int rows, bool archive) {
  World& world = WorldOf(rows);
  tConfigSource source;
  const std::string& path = archive ? world.files.archivePath : world.files.textPath;
  for (auto _ : state) Require(state, source.LoadAttributesFromFile(path.c_str()) != nullptr, "load failed");
}

// SQLite's load: the cells already split, inserted in one transaction.
void LoadSqlite(benchmark::State& state, int rows) {
  World& world = WorldOf(rows);
  for (auto _ : state) {
    state.PauseTiming();
    auto sqlite = std::make_unique<SqliteMirror>();
    state.ResumeTiming();
    sqlite->Load(world.parsed);
    state.PauseTiming();
    sqlite.reset();
    state.ResumeTiming();
  }
}

void SelectOurs(benchmark::State& state, int rows, bool indexed) {
  World& world = WorldOf(rows);
  if (indexed) world.Index();
  const std::string statement = "select * from ParameterDefaults where Parameter = '" + MiddleKey(rows) + "'";
  for (auto _ : state) Require(state, world.engine.Query(statement.c_str(), &world.results) == S_OK, "no row");
}

void SelectSqlite(benchmark::State& state, int rows, bool indexed) {
  World& world = WorldOf(rows);
  if (indexed) world.Index();
  const std::string sql = "SELECT * FROM ParameterDefaults WHERE Parameter = '" + MiddleKey(rows) + "'";
  for (auto _ : state) Require(state, world.sqlite->Select(sql) == 1, "no row");
}

// Keys spread over the rows and a tenth beyond them, so that about one in
// eleven upserts inserts a new row.
std::string UpsertKey(int rows, int i) { return "P" + std::to_string(i * 7919LL % (rows + rows / 10)); }

void UpsertOurs(benchmark::State& state, int rows) {
  World& world = WorldOf(rows);
  world.Index();
  char statement[200];
  for (auto _ : state) {
    for (int i = 0; i < kUpserts; ++i) {
      const std::string key = UpsertKey(rows, i);
      std::snprintf(statement, sizeof statement,
                    "update ParameterDefaults set Parameter = '%s', Units = 'ft' where Parameter = '%s'", key.c_str(),
                    key.c_str());
      Require(state, world.engine.Query(statement, &world.results) == S_OK, "upsert failed");
    }
  }
}

void UpsertSqlite(benchmark::State& state, int rows) {
  World& world = WorldOf(rows);
  world.Index();
  char sql[200];
  for (auto _ : state) {
    world.sqlite->Execute("BEGIN");
    for (int i = 0; i < kUpserts; ++i) {
      const std::string key = UpsertKey(rows, i);
      std::snprintf(sql, sizeof sql, "UPDATE ParameterDefaults SET Units = 'ft' WHERE Parameter = '%s'", key.c_str());
      if (world.sqlite->Execute(sql) > 0) continue;
      std::snprintf(sql, sizeof sql, "INSERT INTO ParameterDefaults (Parameter, Units) VALUES ('%s', 'ft')",
                    key.c_str());
      world.sqlite->Execute(sql);
    }
    world.sqlite->Execute("COMMIT");
  }
}

// Each iteration starts from the file as loaded, so that there is a set to delete.
void DeleteSetOurs(benchmark::State& state, int rows) {
  World& world = WorldOf(rows);
  for (auto _ : state) {
    state.PauseTiming();
    world.ReloadOurs();
    state.ResumeTiming();
    Require(state, world.engine.Query("delete * from ParameterDefaults where ParameterDefaults = 'ParameterSet2'",
                                      &world.results) == S_OK,
            "delete failed");
    Require(state, world.engine.Commit() == S_OK, "commit failed");
  }
}

void DeleteSetSqlite(benchmark::State& state, int rows) {
  World& world = WorldOf(rows);
  for (auto _ : state) {
    state.PauseTiming();
    world.ReloadSqlite();
    state.ResumeTiming();
    Require(state, world.sqlite->Execute("DELETE FROM ParameterDefaults WHERE ParameterDefaults = 'ParameterSet2'") ==
                       rows / kParameterSets,
            "delete failed");
  }
}

void SaveOurs(benchmark::State& state, int rows, bool archive) {
  World& world = WorldOf(rows);
  const std::string path = dataFolder + "/saved" + (archive ? ".zip" : ".cfg");
  for (auto _ : state) Require(state, world.source.SaveToFile(path.c_str()) == S_OK, "save failed");
  std::remove(path.c_str());
}

void SaveSqlite(benchmark::State& state, int rows) {
  World& world = WorldOf(rows);
  const std::string path = dataFolder + "/saved.sqlite";
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(path.c_str());
    state.ResumeTiming();
    world.sqlite->SaveTo(path);
  }
  std::remove(path.c_str());
}

// Benchmark names are "operation/engine/rows"; the table pairs them up.
void RegisterAll(int rows) {
  const std::string n = "/" + std::to_string(rows);
  const int destructiveIterations = rows >= 1000000 ? 1 : 3;
  auto add = [&](const std::string& name, auto function) {
    return benchmark::RegisterBenchmark((name + n).c_str(), function)->UseRealTime();
  };
  add("load_text/vexa", [=](benchmark::State& s) { LoadOurs(s, rows, false); })->Unit(benchmark::kMillisecond);
  add("load_zip/vexa", [=](benchmark::State& s) { LoadOurs(s, rows, true); })->Unit(benchmark::kMillisecond);
  add("load/sqlite", [=](benchmark::State& s) { LoadSqlite(s, rows); })->Unit(benchmark::kMillisecond);
  add("select_key/vexa", [=](benchmark::State& s) { SelectOurs(s, rows, false); })->Unit(benchmark::kMicrosecond);
  add("select_key/sqlite", [=](benchmark::State& s) { SelectSqlite(s, rows, false); })->Unit(benchmark::kMicrosecond);
  add("select_key_indexed/vexa", [=](benchmark::State& s) { SelectOurs(s, rows, true); })->Unit(benchmark::kMicrosecond);
  add("select_key_indexed/sqlite", [=](benchmark::State& s) { SelectSqlite(s, rows, true); })
      ->Unit(benchmark::kMicrosecond);
  add("upsert/vexa", [=](benchmark::State& s) { UpsertOurs(s, rows); })->Unit(benchmark::kMillisecond)->Iterations(1);
  add("upsert/sqlite", [=](benchmark::State& s) { UpsertSqlite(s, rows); })->Unit(benchmark::kMillisecond)->Iterations(1);
  add("save_text/vexa", [=](benchmark::State& s) { SaveOurs(s, rows, false); })->Unit(benchmark::kMillisecond);
  add("save_zip/vexa", [=](benchmark::State& s) { SaveOurs(s, rows, true); })->Unit(benchmark::kMillisecond);
  add("save/sqlite", [=](benchmark::State& s) { SaveSqlite(s, rows); })->Unit(benchmark::kMillisecond);
  add("delete_set/vexa", [=](benchmark::State& s) { DeleteSetOurs(s, rows); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(destructiveIterations);
  add("delete_set/sqlite", [=](benchmark::State& s) { DeleteSetSqlite(s, rows); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(destructiveIterations);
}

// Keeps the console output and remembers each real time (in microseconds).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred)
        micros_[run.run_name.function_name] =
            run.GetAdjustedRealTime() * 1e6 / benchmark::GetTimeUnitMultiplier(run.time_unit);
  }

  void PrintTable(const std::vector<int>& rowCounts) const {
    struct Pair {
      const char* label;
      const char* ours;
      const char* theirs;
    };
    const Pair pairs[] = {
        {"load, text", "load_text", "load"},
        {"load, zip", "load_zip", "load"},
        {"select by key", "select_key", "select_key"},
        {"select by key, indexed", "select_key_indexed", "select_key_indexed"},
        {"10,000 upserts by key (indexed)", "upsert", "upsert"},
        {"delete one set + commit", "delete_set", "delete_set"},
        {"save, text", "save_text", "save"},
        {"save, zip", "save_zip", "save"},
    };
    std::printf("\n| operation | rows | VexaConfig | SQLite | ratio |\n|---|---:|---:|---:|---:|\n");
    for (const Pair& pair : pairs) {
      for (int rows : rowCounts) {
        const std::string n = "/" + std::to_string(rows);
        const double ours = Find(std::string(pair.ours) + "/vexa" + n);
        const double theirs = Find(std::string(pair.theirs) + "/sqlite" + n);
        std::printf("| %s | %d | %s | %s | %s |\n", pair.label, rows, Time(ours).c_str(), Time(theirs).c_str(),
                    ours > 0 && theirs > 0 ? Fixed(ours / theirs).c_str() : "n/a");
      }
    }
  }

 private:
  double Find(const std::string& name) const {
    auto found = micros_.find(name);
    return found == micros_.end() ? 0 : found->second;
  }
  static std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.0f", value);
    return text;
  }
  static std::string Time(double micros) {
    if (micros <= 0) return "n/a";
    if (micros < 1000) return Fixed(micros) + " us";
    if (micros < 1e6) return Fixed(micros / 1000) + " ms";
    return Fixed(micros / 1e6) + " s";
  }
  std::map<std::string, double> micros_;
};

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// In a child of its own, so that nothing else on the heap moves meanwhile.
template <typename Measure>
void InChild(Measure measure) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    measure();
    std::fflush(stdout);
    _exit(0);
  }
  waitpid(child, nullptr, 0);
}

// Our tree: the heap it holds after the load. SQLite: the high-water mark of its
// own allocator during the load.
void PrintMemory(int rows) {
  const GeneratedConfig files = GenerateConfig(dataFolder, rows);
  const double per100k = 100000.0 / rows / (1 << 20);
  InChild([&] {
    const size_t before = HeapInUse();
    tConfigSource source;
    source.LoadAttributesFromFile(files.textPath.c_str());
    std::printf("VexaConfig: %.1f MB per 100,000 rows (tree after loading %d rows)\n",
                static_cast<double>(HeapInUse() - before) * per100k, rows);
  });
  InChild([&] {
    std::vector<ParsedTable> parsed;
    {
      tConfigSource source;
      parsed = ParseTables(source.LoadAttributesFromFile(files.textPath.c_str()));
    }
    SqliteMirror sqlite;
    sqlite3_memory_highwater(1);
    sqlite.Load(parsed);
    std::printf("SQLite: %.1f MB per 100,000 rows (peak of its allocator while inserting %d rows)\n",
                static_cast<double>(sqlite3_memory_highwater(0)) * per100k, rows);
  });
}

std::vector<int> ParseRowCounts(const char* list) {
  std::vector<int> counts;
  std::stringstream stream(list);
  for (std::string count; std::getline(stream, count, ',');) counts.push_back(std::stoi(count));
  return counts;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<int> rowCounts{10000, 100000};
  bool memory = false;
  std::vector<char*> passOn{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rows=", 7) == 0) rowCounts = ParseRowCounts(argv[i] + 7);
    else if (std::strncmp(argv[i], "--data=", 7) == 0) dataFolder = argv[i] + 7;
    else if (std::strcmp(argv[i], "--memory") == 0) memory = true;
    else passOn.push_back(argv[i]);
  }
  if (memory) {
    for (int rows : rowCounts) PrintMemory(rows);
    return 0;
  }
  int passOnCount = static_cast<int>(passOn.size());
  benchmark::Initialize(&passOnCount, passOn.data());
  for (int rows : rowCounts) RegisterAll(rows);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintTable(rowCounts);
  return 0;
}
