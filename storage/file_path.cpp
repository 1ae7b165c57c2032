#include "storage/file_path.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/native_file.h"

const char* FileExtension(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* backslash = std::strrchr(path, '\\');
  const char* name = slash > backslash ? slash + 1 : backslash ? backslash + 1 : path;
  const char* dot = std::strrchr(name, '.');
  return dot ? dot : path + std::strlen(path);
}

bool FileExists(const char* path) {
  std::FILE* file = OpenNativeFile(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool IsArchivePath(const char* path) {
  std::string_view name(path);
  auto endsWith = [&name](std::string_view tail) {
    return name.size() >= tail.size() &&
           strncasecmp(name.data() + name.size() - tail.size(), tail.data(), tail.size()) == 0;
  };
  if (endsWith(".bak")) name.remove_suffix(4);
  return endsWith(".zip");
}
