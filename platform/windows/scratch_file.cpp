#include "platform/scratch_file.h"

#include <fcntl.h>
#include <io.h>

#include <new>
#include <string>

#include "platform/native_path.h"
#include "platform/windows/unique_name.h"
#include "platform/windows_sdk.h"

// Delete-on-close: the system removes the file with its last handle, however
// the process ends.
std::FILE* OpenScratchFile() noexcept try {
  std::wstring name;
  const HANDLE handle =
      CreateUniquelyNamedFile(TemporaryFolder() + "\\vexa-scratch-", GENERIC_READ | GENERIC_WRITE,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, name);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "w+b");
  if (!file) _close(descriptor);
  return file;
} catch (const std::bad_alloc&) {
  return nullptr;
}

bool SeekFile(std::FILE* file, std::int64_t offset, int whence) { return _fseeki64(file, offset, whence) == 0; }

std::int64_t FilePosition(std::FILE* file) { return _ftelli64(file); }
