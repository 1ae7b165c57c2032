#include "platform/private_file.h"

#include "platform/text_conversion.h"
#include "platform/windows/unique_name.h"
#include "platform/windows_sdk.h"

// The user's temporary folder is the user's own; a file made there exclusively
// cannot be a link that someone else planted.
std::string CreatePrivateFile(const std::string& prefix) {
  std::wstring name;
  const HANDLE file = CreateUniquelyNamedFile(prefix, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL, name);
  if (file == INVALID_HANDLE_VALUE) return "";
  CloseHandle(file);
  return Utf8FromWide(name);
}

bool WriteReplacingEntry(const std::string& path, const std::string& content) {
  const std::wstring target = WideFromUtf8(path);
  std::wstring temporary;
  const HANDLE file = CreateUniquelyNamedFile(path + ".", GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL, temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = (content.empty() || WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                                nullptr)) &&
                  written == content.size();
  CloseHandle(file);
  if (ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  DeleteFileW(temporary.c_str());
  return false;
}
