#include "fuzz/scratch_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

ScratchFile::ScratchFile(const char* extension) {
  static int serial = 0;
  path_ = (std::filesystem::temp_directory_path() /
           ("vexa-fuzz-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + extension))
              .string();
}

ScratchFile::~ScratchFile() { std::remove(path_.c_str()); }

const std::string& ScratchFile::Write(const void* data, size_t size) {
  std::FILE* file = std::fopen(path_.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
  return path_;
}
