#include "platform/private_file.h"

#include <utility>

#include "platform/text_conversion.h"
#include "platform/windows/unique_name.h"
#include "platform/windows_sdk.h"

namespace {
// A new file under `prefix` and a random tail, created exclusively; empty on
// failure. Its name comes back in both forms, moved out once the file is open,
// so that nothing needs memory while the handle is open.
std::string CreateExclusively(const std::string& prefix, HANDLE& file, std::wstring& wideName) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string path = prefix + RandomNameTail();
    std::wstring wide = WideFromUtf8(path);
    file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      wideName = std::move(wide);
      return path;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return "";
}
}  // namespace

// The user's temporary folder is the user's own; a file made there exclusively
// cannot be a link that someone else planted.
std::string CreatePrivateFile(const std::string& prefix) {
  HANDLE file = INVALID_HANDLE_VALUE;
  std::wstring wideName;
  std::string path = CreateExclusively(prefix, file, wideName);
  if (!path.empty()) CloseHandle(file);
  return path;
}

bool WriteReplacingEntry(const std::string& path, const std::string& content) {
  const std::wstring target = WideFromUtf8(path);
  HANDLE file = INVALID_HANDLE_VALUE;
  std::wstring temporary;
  if (CreateExclusively(path + ".", file, temporary).empty()) return false;
  DWORD written = 0;
  const bool ok = (content.empty() || WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                                nullptr)) &&
                  written == content.size();
  CloseHandle(file);
  if (ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(temporary.c_str());
  return false;
}
