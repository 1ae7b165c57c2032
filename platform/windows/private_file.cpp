#include "platform/private_file.h"

#include "platform/text_conversion.h"
#include "platform/windows/unique_name.h"
#include "platform/windows_sdk.h"

namespace {
// A new file under `prefix` and a random tail, created exclusively; empty on failure.
std::string CreateExclusively(const std::string& prefix, HANDLE& file) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string path = prefix + RandomNameTail();
    file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file != INVALID_HANDLE_VALUE) return path;
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return "";
}
}  // namespace

// The user's temporary folder is the user's own; a file made there exclusively
// cannot be a link that someone else planted.
std::string CreatePrivateFile(const std::string& prefix) {
  HANDLE file = INVALID_HANDLE_VALUE;
  const std::string path = CreateExclusively(prefix, file);
  if (!path.empty()) CloseHandle(file);
  return path;
}

bool WriteReplacingEntry(const std::string& path, const std::string& content) {
  HANDLE file = INVALID_HANDLE_VALUE;
  const std::string temporary = CreateExclusively(path + ".", file);
  if (temporary.empty()) return false;
  DWORD written = 0;
  const bool ok = (content.empty() || WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                                nullptr)) &&
                  written == content.size();
  CloseHandle(file);
  if (ok && MoveFileExW(WideFromUtf8(temporary).c_str(), WideFromUtf8(path).c_str(), MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileW(WideFromUtf8(temporary).c_str());
  return false;
}
