// Writes the generated configuration of ROWS rows a table into FOLDER, as
// config-ROWS.cfg and config-ROWS.zip, for runs outside the benchmarks
// (bench/capacity.sh). Files already there are kept. Prints the two paths.
//   vexa_generate_config FOLDER ROWS
#include <cstdio>
#include <cstdlib>

#include "bench/generated_config.h"

int main(int argc, char** argv) {
  const long rows = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 0;
  if (rows <= 0 || rows > 0x7fffffff) {
    std::fprintf(stderr, "usage: vexa_generate_config FOLDER ROWS\n");
    return 2;
  }
  const GeneratedConfig config = GenerateConfig(argv[1], static_cast<int>(rows));
  std::printf("%s\n%s\n", config.textPath.c_str(), config.archivePath.c_str());
  return 0;
}
