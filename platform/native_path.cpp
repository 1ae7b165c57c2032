#include "platform/native_path.h"

#include <cstdlib>

#include "platform/text_conversion.h"
#ifdef _WIN32
#include "platform/windows_sdk.h"
#endif

std::string NativePath(const std::wstring& path) { return Utf8FromWide(path); }

std::wstring WideFromNativePath(const std::string& path) { return WideFromUtf8(path); }

std::string TemporaryFolder() {
#ifdef _WIN32
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  std::string result = length > 0 && length <= MAX_PATH ? Utf8FromWide(std::wstring(folder, length)) : ".";
  while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
#else
  const char* folder = std::getenv("TMPDIR");
  std::string result = folder && *folder ? folder : "/tmp";
  while (result.size() > 1 && result.back() == '/') result.pop_back();
#endif
  return result;
}
