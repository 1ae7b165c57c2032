#include "platform/native_file.h"

#include <iterator>
#include <memory>

#ifdef _WIN32
#include "platform/windows_sdk.h"
#else
#include <dirent.h>
#endif

#include "platform/text_conversion.h"

std::FILE* OpenNativeFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* OpenConvertedNativeFile(const std::filesystem::path& path, const char* mode) noexcept {
#ifdef _WIN32
  wchar_t wideMode[8] = {};
  for (size_t i = 0; i + 1 < std::size(wideMode) && mode[i]; ++i) wideMode[i] = static_cast<unsigned char>(mode[i]);
  return _wfopen(path.c_str(), wideMode);
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

bool FolderEntryNames(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
#ifdef _WIN32
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(WideFromUtf8(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  struct SearchCloser {
    HANDLE search;
    ~SearchCloser() { FindClose(search); }
  } closer{search};
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Utf8FromWide(name));
  } while (FindNextFileW(search, &found));
#else
  const std::unique_ptr<DIR, int (*)(DIR*)> entries(opendir(folder.c_str()), closedir);
  if (!entries) return false;
  while (const dirent* entry = readdir(entries.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
#endif
  return true;
}
