#include "platform/scratch_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <new>
#include <string>

#include "platform/native_path.h"

std::FILE* OpenScratchFile() noexcept try {
  std::string path = TemporaryFolder() + "/vexa-scratch-XXXXXX";
  const int descriptor = mkstemp(path.data());
  if (descriptor < 0) return nullptr;
  unlink(path.c_str());
  std::FILE* file = fdopen(descriptor, "w+b");
  if (!file) close(descriptor);
  return file;
} catch (const std::bad_alloc&) {
  return nullptr;
}

bool SeekFile(std::FILE* file, std::int64_t offset, int whence) {
  return fseeko(file, static_cast<off_t>(offset), whence) == 0;
}

std::int64_t FilePosition(std::FILE* file) { return ftello(file); }
