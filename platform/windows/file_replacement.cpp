#include "platform/file_replacement.h"

#include <fcntl.h>
#include <io.h>

#include "platform/windows_sdk.h"

std::FILE* CreateFileBeside(const char* target, std::string& temporaryPath) {
  // A name that no other save of the same file is using, created exclusively.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".saving-%08lX%04X", GetCurrentProcessId() ^ GetTickCount(), attempt);
    temporaryPath = std::string(target) + suffix;
    const HANDLE handle = CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    if (descriptor < 0) {
      CloseHandle(handle);
      DeleteFileA(temporaryPath.c_str());
      return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) {
      _close(descriptor);
      DeleteFileA(temporaryPath.c_str());
    }
    return file;
  }
  return nullptr;
}

bool FlushToDisk(std::FILE* file) {
  return std::fflush(file) == 0 && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}

// std::rename cannot replace an existing file here; MoveFileEx can, in one step
// on the same volume, and returns only once the move is on the disk.
bool ReplaceFileWith(const char* temporary, const char* target) {
  return MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool IsReadOnlyFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}
