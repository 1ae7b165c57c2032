#include "platform/native_file.h"

#include "platform/text_conversion.h"

std::FILE* OpenNativeFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool RemoveNativeFile(const std::string& path) {
#ifdef _WIN32
  return _wremove(WideFromUtf8(path).c_str()) == 0;
#else
  return std::remove(path.c_str()) == 0;
#endif
}

std::filesystem::path FileSystemPath(const std::string& path) { return std::filesystem::u8path(path); }
