#include "platform/scratch_file.h"

#include <fcntl.h>
#include <io.h>

#include <new>
#include <string>

#include "platform/native_path.h"
#include "platform/text_conversion.h"
#include "platform/windows/unique_name.h"
#include "platform/windows_sdk.h"

// Delete-on-close: the system removes the file with its last handle, however
// the process ends.
std::FILE* OpenScratchFile() noexcept try {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::wstring path = WideFromUtf8(TemporaryFolder() + "\\vexa-scratch-" + RandomNameTail());
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (descriptor < 0) {
      CloseHandle(handle);
      return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "w+b");
    if (!file) _close(descriptor);
    return file;
  }
  return nullptr;
} catch (const std::bad_alloc&) {
  return nullptr;
}

bool SeekFile(std::FILE* file, std::int64_t offset, int whence) { return _fseeki64(file, offset, whence) == 0; }

std::int64_t FilePosition(std::FILE* file) { return _ftelli64(file); }
