// The archive's member made two ways from the same loaded tree: as it was
// made before, the whole text built in one growing block and deflated in one
// libdeflate call on one thread, and as the save makes it now, deflated in
// pieces on worker threads while the text is written. Then the whole zip save.
// Every figure is the median of three runs, in CPU time of the whole process
// and in wall time, with the spread (largest minus smallest, over the median);
// peak memory is measured in a child process, above the child's start (the
// loaded tree).
//   vexa_archive_bench [--rows=100000,1000000] [--data=FOLDER]
#include <libdeflate.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/generated_config.h"
#include "bench/measurement.h"
#include "storage/config_source.h"
#include "storage/config_writer.h"
#include "storage/member_deflater.h"
#include "storage/zlib_obj.h"

namespace {
std::string dataFolder = "bench-data";

struct Figure {
  double cpu, cpuSpread, wall, wallSpread;
};

Figure Measure(const std::function<void()>& work) {
  std::vector<double> cpu, wall;
  for (int run = 0; run < 3; ++run) {
    malloc_trim(0);
    const double cpuStart = Clock(CLOCK_PROCESS_CPUTIME_ID), wallStart = Clock(CLOCK_MONOTONIC);
    work();
    cpu.push_back(Clock(CLOCK_PROCESS_CPUTIME_ID) - cpuStart);
    wall.push_back(Clock(CLOCK_MONOTONIC) - wallStart);
  }
  return {Median(cpu), Spread(cpu), Median(wall), Spread(wall)};
}

// The member as it was made before: the text in one block that realloc
// doubles, deflated whole at libdeflate's level 1, its CRC over the whole text.
size_t WholeBufferMember(tAtrribute* root) {
  char* text = nullptr;
  size_t size = 0, capacity = 0;
  Require(WriteConfigText(root, [&](const char* piece, size_t length) {
            if (size + length > capacity) {
              capacity = std::max({capacity * 2, size + length, size_t{4096}});
              text = static_cast<char*>(std::realloc(text, capacity));
            }
            std::memcpy(text + size, piece, length);
            size += length;
            return text != nullptr;
          }),
          "building the whole text");
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
  const size_t bound = libdeflate_deflate_compress_bound(compressor, size);
  char* deflated = static_cast<char*>(std::malloc(bound));
  const size_t deflatedSize = libdeflate_deflate_compress(compressor, text, size, deflated, bound);
  const uint32_t crc = libdeflate_crc32(0, text, size);
  libdeflate_free_compressor(compressor);
  std::free(text);
  std::free(deflated);
  Require(deflatedSize > 0 && crc != 1, "libdeflate");
  return deflatedSize;
}

// The member as the save makes it now, its deflated pieces dropped as they come
// (the save writes them to a scratch file).
size_t PiecesMember(tAtrribute* root) {
  tMemberDeflater deflater(kZipDeflateLevel, 1024 * 1024, std::clamp(std::thread::hardware_concurrency(), 1u, 4u),
                           [](const char*, size_t) { return true; });
  DeflatedMember member;
  Require(WriteConfigText(root, [&](const char* piece, size_t length) { return deflater.Append(piece, length); }) &&
              deflater.Finish(member),
          "deflating in pieces");
  return member.deflatedSize;
}

std::string Text(const Figure& f) {
  char text[96];
  std::snprintf(text, sizeof text, "%.3f s ±%.0f%% | %.3f s ±%.0f%%", f.cpu, f.cpuSpread * 100, f.wall,
                f.wallSpread * 100);
  return text;
}

void Run(int rows) {
  const GeneratedConfig files = GenerateConfig(dataFolder, rows);
  tConfigSource source;
  tAtrribute* root = source.LoadAttributesFromFile(files.textPath.c_str());
  Require(root != nullptr, "load");
  const std::string saved = dataFolder + "/saved-archive.zip";
  size_t wholeSize = 0, piecesSize = 0;
  // Side by side in one run, on the same tree.
  const Figure whole = Measure([&] { wholeSize = WholeBufferMember(root); });
  const Figure pieces = Measure([&] { piecesSize = PiecesMember(root); });
  const Figure save = Measure([&] {
    std::remove(saved.c_str());
    Require(source.SaveToFile(saved.c_str()) == S_OK, "zip save");
  });
  const double wholePeak = static_cast<double>(PeakInChild([&] { WholeBufferMember(root); }));
  const double piecesPeak = static_cast<double>(PeakInChild([&] { PiecesMember(root); }));
  const double savePeak = static_cast<double>(PeakInChild([&] {
    std::remove(saved.c_str());
    source.SaveToFile(saved.c_str());
  }));
  std::remove(saved.c_str());
  std::printf("| %d | whole text, libdeflate, one thread | %s | %.0f MB | %.1f MB |\n", rows, Text(whole).c_str(),
              wholePeak / 1e6, wholeSize / 1e6);
  std::printf("| %d | in pieces, ISA-L, %u threads | %s | %.0f MB | %.1f MB |\n", rows,
              std::clamp(std::thread::hardware_concurrency(), 1u, 4u), Text(pieces).c_str(), piecesPeak / 1e6,
              piecesSize / 1e6);
  std::printf("| %d | the zip save (in pieces) | %s | %.0f MB | |\n", rows, Text(save).c_str(), savePeak / 1e6);
  std::printf("| %d | ratios, pieces / whole | %.2f | %.2f | %.2f | %.2f |\n", rows, pieces.cpu / whole.cpu,
              pieces.wall / whole.wall, piecesPeak / wholePeak, static_cast<double>(piecesSize) / wholeSize);
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<int> rowCounts{100000, 1000000};
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rows=", 7) == 0) {
      rowCounts.clear();
      std::stringstream list(argv[i] + 7);
      for (std::string count; std::getline(list, count, ',');) rowCounts.push_back(std::stoi(count));
    } else if (std::strncmp(argv[i], "--data=", 7) == 0) {
      dataFolder = argv[i] + 7;
    } else {
      std::fprintf(stderr, "usage: vexa_archive_bench [--rows=N,N,...] [--data=FOLDER]\n");
      return 2;
    }
  }
  std::printf("| rows | member made | CPU | wall | peak above the tree | deflated |\n|---:|---|---:|---:|---:|---:|\n");
  for (int rows : rowCounts) Run(rows);
  return 0;
}
