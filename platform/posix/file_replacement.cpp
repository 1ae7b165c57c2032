#include "platform/file_replacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

std::FILE* CreateFileBeside(const char* target, std::string& temporaryPath) {
  temporaryPath = std::string(target) + ".saving-XXXXXX";
  const int descriptor = mkstemp(temporaryPath.data());
  if (descriptor < 0) return nullptr;
  struct stat existing;
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, stat(target, &existing) == 0 ? existing.st_mode & 07777 : 0666 & ~mask);
  std::FILE* file = fdopen(descriptor, "wb");
  if (!file) {
    close(descriptor);
    unlink(temporaryPath.c_str());
  }
  return file;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool ReplaceFileWith(const char* temporary, const char* target) { return std::rename(temporary, target) == 0; }

bool IsReadOnlyFile(const char* path) {
  struct stat existing;
  return stat(path, &existing) == 0 &&
         (access(path, W_OK) != 0 || !(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)));
}
