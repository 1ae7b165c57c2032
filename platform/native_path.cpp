#include "platform/native_path.h"

#include <cstdlib>

#include "platform/text_conversion.h"

std::string NativePath(const std::wstring& path) { return Utf8FromWide(path); }

std::string NativePathFromNarrow(const char* path) { return Utf8FromNarrow(path); }

std::wstring WideFromNativePath(const std::string& path) { return WideFromUtf8(path); }

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string result = folder && *folder ? folder : "/tmp";
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}
