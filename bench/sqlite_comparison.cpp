// VexaConfig against SQLite on the same generated version 5 configuration, at
// each row count asked for, and against the machine: the cost of reading,
// inflating, deflating and writing the same bytes, each with the fastest library
// the project uses, on all cores. Every figure is the median of three runs, in
// CPU time of the whole process (the deleter threads' share included) and in
// wall time, with the spread of the three (largest minus smallest, over the median).
//   vexa_sqlite_bench [--rows=10000,100000,1000000] [--data=FOLDER]
//   vexa_sqlite_bench --memory [--rows=...] [--data=FOLDER]   peak memory of the loads
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/generated_config.h"
#include "bench/measurement.h"
#include "bench/sqlite_mirror.h"
#include "platform/page_block.h"
#include "query/query_engine.h"
#include "storage/config_source.h"
#include "storage/zlib_obj.h"
#include "store/hash.h"
#include "store/table.h"

namespace {
constexpr int kRuns = 3;
constexpr int kUpserts = 10000;
// Short operations are repeated until one run takes about this long.
constexpr double kShortRunSeconds = 0.2;
std::string dataFolder = "bench-data";

double ThreadCpu() { return Clock(CLOCK_THREAD_CPUTIME_ID); }
double ProcessCpu() { return Clock(CLOCK_PROCESS_CPUTIME_ID); }
double Wall() { return Clock(CLOCK_MONOTONIC); }

// The pools' deleter threads may still be destroying an earlier tree: a run
// starts only once the other threads of the process have gone quiet, so that
// they neither share the cores with it nor hold the heap's locks.
void SettleBackground() {
  for (int i = 0; i < 1000; ++i) {
    const double before = ProcessCpu() - ThreadCpu();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ProcessCpu() - ThreadCpu() - before < 0.001) return;
  }
}

struct Figure {
  double cpu = 0, cpuSpread = 0, wall = 0, wallSpread = 0;  // seconds; spreads as fractions
  bool Measured() const { return wall > 0; }
};

// kRuns runs of `calls` calls of work, each run after setup (not timed); the
// figure is per call. The CPU time is the process's until the work's deleter
// threads are done with what the work handed them; the wall time ends with the work.
Figure Measure(const std::function<void()>& setup, const std::function<void()>& work, int calls = 1) {
  std::vector<double> cpu, wall;
  for (int run = 0; run < kRuns; ++run) {
    setup();
    SettleBackground();
    const double cpuStart = ProcessCpu(), wallStart = Wall();
    for (int i = 0; i < calls; ++i) work();
    wall.push_back((Wall() - wallStart) / calls);
    SettleBackground();
    cpu.push_back((ProcessCpu() - cpuStart) / calls);
  }
  return {Median(cpu), Spread(cpu), Median(wall), Spread(wall)};
}

// For operations of microseconds: as many calls per run as fill about kShortRunSeconds.
Figure MeasureShort(const std::function<void()>& work) {
  const double start = Wall();
  work();
  const double once = std::max(Wall() - start, 1e-7);
  const int calls = std::clamp(static_cast<int>(kShortRunSeconds / once), 1, 1000000);
  return Measure([] {}, work, calls);
}

// A plain read: one buffer of the file's size, its pages brought in with it as
// the loader's pieces are, filled by read(2).
struct FileBytes {
  PageBlock data;
  size_t size = 0;
};

FileBytes ReadPlain(const std::string& path) {
  const int file = open(path.c_str(), O_RDONLY);
  struct stat status;
  Require(file >= 0 && fstat(file, &status) == 0, "opening a generated file");
  FileBytes bytes{PageBlock(static_cast<size_t>(status.st_size)), static_cast<size_t>(status.st_size)};
  Require(bytes.data.get() != nullptr, "memory for a generated file");
  for (size_t done = 0; done < bytes.size;) {
    const ssize_t n = read(file, bytes.data.get() + done, bytes.size - done);
    Require(n > 0, "reading a generated file");
    done += static_cast<size_t>(n);
  }
  close(file);
  return bytes;
}

std::string ReadWholeFile(const std::string& path) {
  const FileBytes bytes = ReadPlain(path);
  return std::string(bytes.data.get(), bytes.size);
}

// The member's deflated bytes as they stand in the archive, and its size inflated.
struct RawMember {
  std::string deflated;
  size_t inflatedSize = 0;
};

RawMember ReadRawMember(const std::string& archivePath) {
  int error = 0;
  zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
  Require(archive != nullptr, "opening the archive");
  zip_stat_t stat;
  Require(zip_stat(archive, "VEXA/pfConfig", 0, &stat) == 0, "finding the member");
  zip_file_t* file = zip_fopen(archive, "VEXA/pfConfig", ZIP_FL_COMPRESSED);
  Require(file != nullptr, "opening the member");
  RawMember member{std::string(stat.comp_size, '\0'), static_cast<size_t>(stat.size)};
  Require(zip_fread(file, member.deflated.data(), stat.comp_size) == static_cast<zip_int64_t>(stat.comp_size),
          "reading the member");
  zip_fclose(file);
  zip_close(archive);
  return member;
}

// The physical limits, on the bytes of the generated files. A deflate stream
// inflates on one core only; libdeflate is what the loader inflates with.
FileBytes Inflate(const RawMember& member) {
  FileBytes text{PageBlock(member.inflatedSize), member.inflatedSize};
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  Require(decompressor != nullptr, "libdeflate_alloc_decompressor");
  Require(libdeflate_deflate_decompress(decompressor, member.deflated.data(), member.deflated.size(), text.data.get(),
                                        text.size, nullptr) == LIBDEFLATE_SUCCESS,
          "inflate");
  libdeflate_free_decompressor(decompressor);
  return text;
}

size_t Deflate(const std::string& text, int level) {
  z_stream stream{};
  Require(deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK, "deflateInit2");
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  Require(deflate(&stream, Z_FINISH) == Z_STREAM_END, "deflate");
  const size_t size = stream.total_out;
  deflateEnd(&stream);
  return size;
}

// libdeflate at its fastest level: the fastest deflate the project uses.
size_t DeflatePiece(const char* data, size_t size) {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
  Require(compressor != nullptr, "libdeflate_alloc_compressor");
  const size_t bound = libdeflate_deflate_compress_bound(compressor, size);
  std::unique_ptr<char[]> out(new char[bound]);
  const size_t deflated = libdeflate_deflate_compress(compressor, data, size, out.get(), bound);
  libdeflate_free_compressor(compressor);
  Require(deflated > 0, "libdeflate_deflate_compress");
  return deflated;
}

// The machine's limit: one piece per core.
void DeflateOnAllCores(const std::string& text) {
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const size_t piece = (text.size() + cores - 1) / cores;
  std::vector<std::thread> threads;
  for (size_t start = 0; start < text.size(); start += piece)
    threads.emplace_back([&text, start, piece] {
      DeflatePiece(text.data() + start, std::min(piece, text.size() - start));
    });
  for (std::thread& thread : threads) thread.join();
}

// Written and synced to disk, as a save is.
void WriteSynced(const std::string& path, const std::string& bytes) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Require(file >= 0, "creating the written file");
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(file, bytes.data() + done, bytes.size() - done);
    Require(n > 0, "writing");
    done += static_cast<size_t>(n);
  }
  Require(fsync(file) == 0 && close(file) == 0, "syncing");
}

std::string MiddleKey(int rows) { return "P" + std::to_string(rows / 2); }

// Keys spread over the rows and a tenth beyond them, so that about one in
// eleven upserts inserts a new row; each run takes other keys.
std::string UpsertKey(int rows, int run, int i) {
  return "P" + std::to_string((i * 7919LL + run * 104729LL) % (rows + rows / 10));
}

std::map<std::string, Figure> figures;  // "operation/side/rows"

// Both sides' rows of one select must be the same texts.
void RequireSameRows(ResultSet& ours, const std::vector<std::string>& theirs, const char* what) {
  std::vector<std::string> mine;
  ours.Rewind();
  while (tQueryString* row = ours.Next()) mine.emplace_back(row->text.c_str());
  if (mine == theirs) return;
  std::fprintf(stderr, "vexa_sqlite_bench: %s: %zu rows of ours against %zu of SQLite's%s%s%s%s\n", what, mine.size(),
               theirs.size(), mine.empty() ? "" : "\n  ours:   ", mine.empty() ? "" : mine[0].c_str(),
               theirs.empty() ? "" : "\n  SQLite: ", theirs.empty() ? "" : theirs[0].c_str());
  std::abort();
}
std::map<int, std::pair<size_t, size_t>> archiveSizes;  // rows: our archive, the member at level 6

std::string Key(const char* operation, const char* side, int rows) {
  return std::string(operation) + "/" + side + "/" + std::to_string(rows);
}

void Record(const char* operation, const char* side, int rows, const Figure& figure) {
  figures[Key(operation, side, rows)] = figure;
  std::fprintf(stderr, "%-20s %-7s %8d  cpu %10.6f s  wall %10.6f s\n", operation, side, rows, figure.cpu, figure.wall);
}

void RunAll(int rows) {
  const GeneratedConfig files = GenerateConfig(dataFolder, rows);
  auto source = std::make_unique<tConfigSource>();
  Require(source->LoadAttributesFromFile(files.textPath.c_str()) != nullptr, "load");
  const std::vector<ParsedTable> parsed = ParseTables(source->Root());
  auto engine = std::make_unique<tSqlQueryEngine>(source.get());
  auto sqlite = std::make_unique<SqliteMirror>();
  sqlite->Load(parsed);
  // SQLite's own file of the same rows, kept beside the generated files.
  const std::string sqliteFile = dataFolder + "/mirror-" + std::to_string(rows) + ".sqlite";
  std::remove(sqliteFile.c_str());
  sqlite->SaveTo(sqliteFile);
  ResultSet results;

  // Loads: each run loads into a fresh source (the previous tree goes to the deleter).
  std::unique_ptr<tConfigSource> loader;
  auto freshLoader = [&] { loader = std::make_unique<tConfigSource>(); };
  Record("load_text", "vexa", rows, Measure(freshLoader, [&] {
           Require(loader->LoadAttributesFromFile(files.textPath.c_str()) != nullptr, "load text");
         }));
  Record("load_zip", "vexa", rows, Measure(freshLoader, [&] {
           Require(loader->LoadAttributesFromFile(files.archivePath.c_str()) != nullptr, "load zip");
         }));
  loader.reset();
  std::unique_ptr<SqliteMirror> other;
  auto freshMirror = [&] { other = std::make_unique<SqliteMirror>(); };
  Record("open", "sqlite", rows, Measure(freshMirror, [&] { other->Deserialize(sqliteFile); }));
  Record("open_backup", "sqlite", rows, Measure(freshMirror, [&] { other->OpenSaved(sqliteFile); }));
  Record("rebuild", "sqlite", rows, Measure(freshMirror, [&] { other->Load(parsed); }));
  other.reset();

  // Saves, of the tree as loaded: the same bytes as the generated text file.
  const std::string savedText = dataFolder + "/saved.cfg", savedZip = dataFolder + "/saved.zip",
                    savedSqlite = dataFolder + "/saved.sqlite";
  Record("save_text", "vexa", rows, Measure([&] { std::remove(savedText.c_str()); }, [&] {
           Require(source->SaveToFile(savedText.c_str()) == S_OK, "save text");
         }));
  Record("save_zip", "vexa", rows, Measure([&] { std::remove(savedZip.c_str()); }, [&] {
           Require(source->SaveToFile(savedZip.c_str()) == S_OK, "save zip");
         }));
  Record("save", "sqlite", rows, Measure([&] { std::remove(savedSqlite.c_str()); }, [&] { sqlite->SaveTo(savedSqlite); }));
  struct stat zipStat;
  Require(stat(savedZip.c_str(), &zipStat) == 0, "stat of the saved archive");
  for (const std::string& path : {savedText, savedZip, savedSqlite}) std::remove(path.c_str());

  // The machine's limits on the same bytes.
  {
    const std::string text = ReadWholeFile(files.textPath);
    const RawMember member = ReadRawMember(files.archivePath);
    Require(member.inflatedSize == text.size(), "the member holding the text file's bytes");
    FileBytes read;
    Record("read", "limit", rows, Measure([&] { read = FileBytes(); }, [&] { read = ReadPlain(files.textPath); }));
    FileBytes inflated;
    Record("inflate", "limit", rows, Measure([&] { inflated = FileBytes(); }, [&] { inflated = Inflate(member); }));
    Record("deflate", "limit", rows, Measure([] {}, [&] { DeflateOnAllCores(text); }));
    const std::string written = dataFolder + "/written.cfg";
    Record("write", "limit", rows, Measure([&] { std::remove(written.c_str()); }, [&] { WriteSynced(written, text); }));
    std::remove(written.c_str());
    archiveSizes[rows] = {static_cast<size_t>(zipStat.st_size), Deflate(text, 6)};
  }

  // Selects by key: our statement text is parsed on every call, SQLite's
  // statement is prepared once and the key bound. Both answer the same row,
  // checked before each side is timed.
  const std::string key = MiddleKey(rows);
  const std::string statement = "select * from ParameterDefaults where Parameter = '" + key + "'";
  const auto defaults = std::find_if(parsed.begin(), parsed.end(),
                                     [](const ParsedTable& table) { return table.name == "ParameterDefaults"; });
  Require(defaults != parsed.end(), "the ParameterDefaults table");
  const std::string selectSql = "SELECT " + ColumnList(*defaults) + " FROM ParameterDefaults WHERE Parameter = ?";
  sqlite3_stmt* select = sqlite->Prepared(selectSql);
  auto selectOurs = [&] {
    Require(engine->Query(statement.c_str(), &results) == S_OK && results.Count() == 1, "select");
  };
  auto selectSqlite = [&] { Require(sqlite->Select(select, {key}) == 1, "select"); };
  auto checkSameRows = [&](const char* what) {
    std::vector<std::string> theirs;
    sqlite->Select(select, {key}, &theirs);
    selectOurs();
    RequireSameRows(results, theirs, what);
  };
  checkSameRows("select by key");
  Record("select_key", "vexa", rows, MeasureShort(selectOurs));
  Record("select_key", "sqlite", rows, MeasureShort(selectSqlite));
  // Building the key index on a table without one, on both sides: the index of
  // the previous run is dropped before the clock starts.
  auto dropOurIndex = [&] {
    tTable table;
    Require(OpenTable(source->Root(), "ParameterDefaults", table) == S_OK, "the table");
    table.contents->index.reset();
    table.contents->indexKeyMode = kIndexUnused;
  };
  Record("index_build", "vexa", rows, Measure(dropOurIndex, [&] {
           Require(engine->Query("sort table ParameterDefaults on Parameter", &results) == S_OK, "sort");
         }));
  Record("index_build", "sqlite", rows,
         Measure([&] { sqlite->Execute("DROP INDEX IF EXISTS ParameterKey"); },
                 [&] { sqlite->Execute("CREATE INDEX ParameterKey ON ParameterDefaults (Parameter)"); }));
  select = sqlite->Prepared(selectSql);
  checkSameRows("select by key, indexed");
  Record("select_key_indexed", "vexa", rows, MeasureShort(selectOurs));
  Record("select_key_indexed", "sqlite", rows, MeasureShort(selectSqlite));

  // Upserts by key, indexed: an update that inserts when no row has the key.
  int run = 0;
  Record("upsert", "vexa", rows, Measure([] {}, [&] {
           char text[200];
           for (int i = 0; i < kUpserts; ++i) {
             const std::string k = UpsertKey(rows, run, i);
             std::snprintf(text, sizeof text,
                           "update ParameterDefaults set Parameter = '%s', Units = 'ft' where Parameter = '%s'",
                           k.c_str(), k.c_str());
             Require(engine->Query(text, &results) == S_OK, "upsert");
           }
           ++run;
         }));
  sqlite3_stmt* update = sqlite->Prepared("UPDATE ParameterDefaults SET Units = 'ft' WHERE Parameter = ?");
  sqlite3_stmt* insert = sqlite->Prepared("INSERT INTO ParameterDefaults (Parameter, Units) VALUES (?, 'ft')");
  run = 0;
  Record("upsert", "sqlite", rows, Measure([] {}, [&] {
           sqlite->Execute("BEGIN");
           for (int i = 0; i < kUpserts; ++i) {
             const std::string k = UpsertKey(rows, run, i);
             if (sqlite->Change(update, {k}) == 0) sqlite->Change(insert, {k});
           }
           sqlite->Execute("COMMIT");
           ++run;
         }));

  // Delete of one parameter set and its commit, each run on a tree freshly
  // loaded from the file (the rows as a load leaves them) and a fresh database.
  engine.reset();
  Record("delete_set", "vexa", rows, Measure([&] {
           engine.reset();
           Require(source->LoadAttributesFromFile(files.textPath.c_str()) != nullptr, "reload");
           engine = std::make_unique<tSqlQueryEngine>(source.get());
         }, [&] {
           Require(engine->Query("delete * from ParameterDefaults where ParameterDefaults = 'ParameterSet2'",
                                 &results) == S_OK,
                   "delete");
           Require(engine->Commit() == S_OK, "commit");
         }));
  engine.reset();
  source.reset();
  sqlite3_stmt* remove = nullptr;
  Record("delete_set", "sqlite", rows, Measure([&] {
           sqlite = std::make_unique<SqliteMirror>();
           sqlite->Load(parsed);
           remove = sqlite->Prepared("DELETE FROM ParameterDefaults WHERE ParameterDefaults = ?");
         }, [&] {
           Require(sqlite->Change(remove, {"ParameterSet2"}) == rows / kParameterSets, "delete");
         }));
}

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, value < 10 ? "%.2f" : "%.0f", value);
  return text;
}

std::string Time(double seconds) {
  const double micros = seconds * 1e6;
  if (micros < 1000) return Fixed(micros) + " us";
  if (micros < 1e6) return Fixed(micros / 1000) + " ms";
  return Fixed(micros / 1e6) + " s";
}

std::string WithSpread(double seconds, double spread) {
  return Time(seconds) + " ±" + std::to_string(static_cast<int>(spread * 100 + 0.5)) + "%";
}

const Figure* Find(const char* operation, const char* side, int rows) {
  auto found = figures.find(Key(operation, side, rows));
  return found == figures.end() || !found->second.Measured() ? nullptr : &found->second;
}

std::string Ratio(const Figure* ours, const Figure* theirs, bool cpu) {
  if (!ours || !theirs) return "n/a";
  const double a = cpu ? ours->cpu : ours->wall, b = cpu ? theirs->cpu : theirs->wall;
  return b > 0 ? Fixed(a / b) : "n/a";
}

struct Pair {
  const char* label;
  const char* ours;
  const char* other;
  const char* otherSide;
  const char* goal;
};

void PrintPairs(const char* otherName, const std::vector<Pair>& pairs, const std::vector<int>& rowCounts) {
  std::printf("\n| operation | rows | VexaConfig CPU | %s CPU | CPU ratio | goal | VexaConfig wall | %s wall | wall ratio |\n"
              "|---|---:|---:|---:|---:|---:|---:|---:|---:|\n",
              otherName, otherName);
  for (const Pair& pair : pairs) {
    for (int rows : rowCounts) {
      const Figure* ours = Find(pair.ours, "vexa", rows);
      const Figure* other = Find(pair.other, pair.otherSide, rows);
      if (!ours || !other) continue;
      std::printf("| %s | %d | %s | %s | %s | %s | %s | %s | %s |\n", pair.label, rows,
                  WithSpread(ours->cpu, ours->cpuSpread).c_str(), WithSpread(other->cpu, other->cpuSpread).c_str(),
                  Ratio(ours, other, true).c_str(), pair.goal, WithSpread(ours->wall, ours->wallSpread).c_str(),
                  WithSpread(other->wall, other->wallSpread).c_str(), Ratio(ours, other, false).c_str());
    }
  }
}

void PrintTables(const std::vector<int>& rowCounts) {
  std::printf("\nAgainst SQLite (ratio = ours / SQLite's; each figure the median of %d runs ± their spread):\n", kRuns);
  PrintPairs("SQLite",
             {{"load, text / open a saved database (deserialize)", "load_text", "open", "sqlite", "1.0"},
              {"load, zip / open a saved database (deserialize)", "load_zip", "open", "sqlite", "-"},
              {"load, text / open a saved database (backup API)", "load_text", "open_backup", "sqlite", "-"},
              {"load, text / rebuild by INSERTs", "load_text", "rebuild", "sqlite", "-"},
              {"select by key", "select_key", "select_key", "sqlite", "0.8"},
              {"select by key, indexed", "select_key_indexed", "select_key_indexed", "sqlite", "0.8"},
              {"key index build", "index_build", "index_build", "sqlite", "0.8"},
              {"10,000 upserts by key (indexed)", "upsert", "upsert", "sqlite", "0.8"},
              {"delete one set + commit", "delete_set", "delete_set", "sqlite", "0.8"},
              {"save, text", "save_text", "save", "sqlite", "0.8"},
              {"save, zip", "save_zip", "save", "sqlite", "-"}},
             rowCounts);
  std::printf("\nAgainst the machine, on the same bytes (ratio = ours / the limit's):\n");
  PrintPairs("limit",
             {{"load, text / read the file", "load_text", "read", "limit", "2"},
              {"load, zip / inflate the member", "load_zip", "inflate", "limit", "2"},
              {"save, text / write the file (synced)", "save_text", "write", "limit", "1.5"},
              {"save, zip / deflate the member", "save_zip", "deflate", "limit", "-"},
              {"save, zip / our save, text", "save_zip", "save_text", "vexa", "2.5"}},
             rowCounts);
  std::printf("\n| rows | archive | member deflated at level 6 | size ratio (goal 1.5) |\n|---:|---:|---:|---:|\n");
  for (const auto& [rows, sizes] : archiveSizes)
    std::printf("| %d | %.1f MB | %.1f MB | %.2f |\n", rows, sizes.first / 1e6, sizes.second / 1e6,
                static_cast<double>(sizes.first) / static_cast<double>(sizes.second));
  std::printf("\nGrowth per row, CPU (1.00 = linear):\n\n| operation | from | to | growth |\n|---|---:|---:|---:|\n");
  const char* operations[] = {"load_text", "load_zip",   "select_key", "select_key_indexed", "index_build",
                              "upsert",    "delete_set", "save_text",  "save_zip"};
  for (const char* operation : operations) {
    for (size_t i = 1; i < rowCounts.size(); ++i) {
      const Figure* small = Find(operation, "vexa", rowCounts[i - 1]);
      const Figure* large = Find(operation, "vexa", rowCounts[i]);
      if (!small || !large || small->cpu <= 0) continue;
      // The indexed operations cost the same at any size: their growth is against 1, not the rows.
      const bool flat = std::strcmp(operation, "select_key_indexed") == 0 || std::strcmp(operation, "upsert") == 0;
      const double scale = flat ? 1.0 : static_cast<double>(rowCounts[i]) / rowCounts[i - 1];
      std::printf("| %s | %d | %d | %s |\n", operation, rowCounts[i - 1], rowCounts[i],
                  Fixed(large->cpu / small->cpu / scale).c_str());
    }
  }
}

// Resident memory of this process: now, and its peak since the last reset.
void PrintMemory(const std::vector<int>& rowCounts) {
  std::printf("\n| rows | file | load, text: peak | / file (goal 1.0) | load, zip: peak | / text load (goal 1.1) "
              "| SQLite holds | / file |\n|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (int rows : rowCounts) {
    const GeneratedConfig files = GenerateConfig(dataFolder, rows);
    struct stat fileStat;
    Require(stat(files.textPath.c_str(), &fileStat) == 0, "stat");
    const double file = static_cast<double>(fileStat.st_size);
    const double text = static_cast<double>(PeakInChild([&] {
      tConfigSource source;
      source.LoadAttributesFromFile(files.textPath.c_str());
    }));
    const double zip = static_cast<double>(PeakInChild([&] {
      tConfigSource source;
      source.LoadAttributesFromFile(files.archivePath.c_str());
    }));
    // SQLite: what its allocator holds once the rows are in.
    double sqlite = 0;
    {
      std::vector<ParsedTable> parsed;
      {
        tConfigSource source;
        parsed = ParseTables(source.LoadAttributesFromFile(files.textPath.c_str()));
      }
      const std::int64_t before = SqliteMirror::MemoryUsed();
      SqliteMirror mirror;
      mirror.Load(parsed);
      sqlite = static_cast<double>(SqliteMirror::MemoryUsed() - before);
    }
    std::printf("| %d | %.0f MB | %.0f MB | %.2f | %.0f MB | %.2f | %.0f MB | %.2f |\n", rows, file / 1e6, text / 1e6,
                text / file, zip / 1e6, zip / text, sqlite / 1e6, sqlite / file);
  }
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
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rows=", 7) == 0) rowCounts = ParseRowCounts(argv[i] + 7);
    else if (std::strncmp(argv[i], "--data=", 7) == 0) dataFolder = argv[i] + 7;
    else if (std::strcmp(argv[i], "--memory") == 0) memory = true;
    else {
      std::fprintf(stderr, "usage: vexa_sqlite_bench [--memory] [--rows=N,N,...] [--data=FOLDER]\n");
      return 2;
    }
  }
  if (memory) {
    PrintMemory(rowCounts);
    return 0;
  }
  for (int rows : rowCounts) RunAll(rows);
  PrintTables(rowCounts);
  return 0;
}
