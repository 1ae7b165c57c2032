#include "platform/file_replace.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "platform/text_conversion.h"
#include "platform/trace.h"
#include "platform/windows/unique_handle.h"
#include "platform/windows/unique_name.h"
#include "platform/windows_sdk.h"

namespace {
constexpr DWORD kCopyPieceBytes = 1 << 20;

// Writes the whole content into the open temporary file of `target`; false
// once it could not.
using FillFile = std::function<bool(HANDLE file, const std::string& target)>;

std::wstring Wide(const std::string& path) { return WideFromUtf8(path); }

// Traces why a step failed (from the last error) and gives false; never
// throws, so that it may run while a handle is open.
bool Failed(const char* action, const std::string& path) noexcept {
  const DWORD error = GetLastError();
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  try {
    std::string reason = text ? Utf8FromWide(text) : "error " + std::to_string(error);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
    DebugTrace("ReplaceFileContent: cannot %s %s: %s\n", action, path.c_str(), reason.c_str());
  } catch (const std::bad_alloc&) {
    DebugTrace("ReplaceFileContent: cannot %s %s: error %lu\n", action, path.c_str(), static_cast<unsigned long>(error));
  }
  if (text) LocalFree(text);
  return false;
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
  for (size_t done = 0; done < size;) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, data + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool WriteAll(HANDLE file, const std::string& content) { return WriteAll(file, content.data(), content.size()); }

// A new file beside the target under an unpredictable name; INVALID_HANDLE_VALUE
// when the folder takes no new file. Opened without sharing, it cannot be
// removed by anyone (the clean-up of another save included) while it is open.
// Its name is moved out once it is open, so that nothing needs memory then.
HANDLE CreateBeside(const std::string& target, std::wstring& temporary) {
  return CreateUniquelyNamedFile(target + kSavingSuffix, GENERIC_WRITE | DELETE, FILE_ATTRIBUTE_NORMAL, temporary);
}

void DeleteOpenFile(HANDLE file) {
  FILE_DISPOSITION_INFO disposition{TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

DWORD LinkCount(const std::string& path) {
  const UniqueHandle file(CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  return file.valid() && GetFileInformationByHandle(file.get(), &information) ? information.nNumberOfLinks : 0;
}

enum class Outcome { Done, Failed, CannotRename };

// The new content in a temporary file, on the disk, then moved over the target
// in one step: MoveFileEx replaces an existing file, which std::rename cannot
// here. The file is held until its content is on the disk.
Outcome ReplaceByMove(const std::string& target, const FillFile& fill) {
  // The names are made before the content, so that nothing after it needs memory.
  const std::wstring to = Wide(target);
  std::wstring from;
  UniqueHandle file(CreateBeside(target, from));
  if (!file.valid()) return Outcome::CannotRename;
  const bool written = fill(file.get(), target) && (FlushFileBuffers(file.get()) || Failed("sync", target));
  if (!written) DeleteOpenFile(file.get());
  file.Close();
  if (!written) return Outcome::Failed;
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Outcome::Done;
  Failed("rename over", target);
  DeleteFileW(from.c_str());
  return Outcome::Failed;
}

// Overwrites the file itself, for a file whose other hard links must stay, or
// whose folder takes no new file; the old content is written back on failure.
bool ReplaceInPlace(const std::string& target, const std::string& content) {
  std::string old;
  if (!ReadFileContent(target, old)) return Failed("read", target);
  UniqueHandle file(CreateFileW(Wide(target).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return Failed("write", target);
  bool written = WriteAll(file.get(), content) && SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
  if (!written) {
    Failed("write", target);
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    if (WriteAll(file.get(), old)) SetEndOfFile(file.get()), FlushFileBuffers(file.get());
  }
  return file.Close() && written;
}

// By a move where it can, else in place with the content that `collect` gives.
bool Replace(const std::string& path, const FillFile& fill, const std::function<bool(std::string&)>& collect) {
  const bool exists = GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!exists || LinkCount(path) <= 1) {
    const Outcome outcome = ReplaceByMove(path, fill);
    if (outcome != Outcome::CannotRename) return outcome == Outcome::Done;
  }
  if (!exists) return Failed("create", path);
  std::string content;
  return collect(content) && ReplaceInPlace(path, content);
}
}  // namespace

std::string ResolvedPath(const std::string& path) { return path; }

bool ReadFileContent(const std::string& path, std::string& content) {
  UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  std::string text;
  char buffer[1 << 16];
  DWORD count = 0;
  bool ok = true;
  while ((ok = ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) && count > 0) text.append(buffer, count);
  if (!ok) return false;
  content.swap(text);
  return true;
}

bool ReplaceFileContent(const std::string& path, const ContentProducer& produce) {
  return Replace(
      path,
      [&](HANDLE file, const std::string& target) {
        return ProduceContent(produce, [&](const char* data, size_t size) {
          return WriteAll(file, data, size) || Failed("write", target);
        });
      },
      [&](std::string& content) { return ContentInMemory(produce, content); });
}

bool ReplaceFileContent(const std::string& path, const FileProducer& produce) {
  return Replace(
      path,
      [&](HANDLE file, const std::string& target) {
        // A stream of its own, so that closing it leaves the handle to the move.
        HANDLE own = nullptr;
        const int descriptor =
            DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)
                ? _open_osfhandle(reinterpret_cast<intptr_t>(own), _O_WRONLY | _O_BINARY)
                : -1;
        if (descriptor < 0 && own) CloseHandle(own);
        std::FILE* stream = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
        if (!stream) {
          if (descriptor >= 0) _close(descriptor);
          return Failed("write", target);
        }
        return ProduceAndClose(produce, stream) || Failed("write", target);
      },
      [&](std::string& content) { return ContentInMemory(produce, content); });
}

bool CopyToNewFile(const std::string& source, const std::string& destination, bool& nameTaken) {
  nameTaken = false;
  const std::wstring to_name = Wide(destination);
  const UniqueHandle from(CreateFileW(Wide(source).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!from.valid()) return Failed("read", source);
  const UniqueHandle to(
      CreateFileW(to_name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!to.valid()) {
    nameTaken = GetLastError() == ERROR_FILE_EXISTS;
    return !nameTaken && Failed("create", destination);
  }
  std::unique_ptr<char[]> piece(new (std::nothrow) char[kCopyPieceBytes]);
  bool copied = piece != nullptr;
  DWORD count = 0;
  while (copied && (copied = ReadFile(from.get(), piece.get(), kCopyPieceBytes, &count, nullptr)) && count > 0)
    copied = WriteAll(to.get(), piece.get(), count);
  // Failed() may run out of memory itself: the copy is marked for deletion first.
  if (!(copied = copied && FlushFileBuffers(to.get()))) DeleteOpenFile(to.get());
  return copied || Failed("write", destination);
}

// A save's temporary file is open without sharing until it is renamed or
// removed, so the removal fails while a save holds it.
bool RemoveAbandonedSaveFile(const std::string& path) { return DeleteFileW(Wide(path).c_str()); }

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}
