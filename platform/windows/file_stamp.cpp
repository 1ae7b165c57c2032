#include "platform/file_stamp.h"

#include "platform/text_conversion.h"
#include "platform/windows_sdk.h"

bool ReadFileStamp(const std::string& path, FileStamp& stamp) {
  const HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool read = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  if (!read) return false;
  auto wide = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
  stamp.device = information.dwVolumeSerialNumber;
  stamp.id = wide(information.nFileIndexHigh, information.nFileIndexLow);
  stamp.size = wide(information.nFileSizeHigh, information.nFileSizeLow);
  stamp.modified = static_cast<std::int64_t>(
      wide(information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime));
  return true;
}
