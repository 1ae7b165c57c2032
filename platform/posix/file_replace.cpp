#include "platform/file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <sstream>

#include "platform/trace.h"

namespace {
constexpr size_t kCopyPieceBytes = 1 << 20;

// Writes the whole content into the open temporary file of `target`; false
// once it could not.
using FillFile = std::function<bool(int descriptor, const std::string& target)>;

// Traces why a step failed (from errno) and gives false.
bool Failed(const char* action, const std::string& path) {
  DebugTrace("ReplaceFileContent: cannot %s %s: %s\n", action, path.c_str(), std::strerror(errno));
  return false;
}

bool WriteAll(int descriptor, const char* data, size_t size) {
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(descriptor, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAllAt(int descriptor, const std::string& content) {
  for (size_t done = 0; done < content.size();) {
    const ssize_t n = pwrite(descriptor, content.data() + done, content.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The descriptor still stands for the file named `path`.
bool NamesDescriptor(const std::string& path, int descriptor) {
  struct stat own, named;
  return fstat(descriptor, &own) == 0 && lstat(path.c_str(), &named) == 0 && SameFile(own, named);
}

// A new file `prefix` + six random characters, locked for as long as the
// descriptor stays open. The clean-up of another save may remove the file
// between its creation and the lock; it is then made anew. A file system
// without locks leaves it unlocked, and its clean-up then removes nothing.
int CreateLockedTemporary(const std::string& prefix, std::string& temporary) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary = prefix + "XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return -1;
    if (flock(descriptor, LOCK_EX) != 0 || NamesDescriptor(temporary, descriptor)) return descriptor;
    close(descriptor);
  }
  errno = EEXIST;
  return -1;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename needs the folder, and must not split hard links.
bool CanRename(const std::string& target, const struct stat* existing) {
  return (!existing || existing->st_nlink <= 1) && access(FolderOf(target).c_str(), W_OK) == 0;
}

void SyncFolder(const std::string& folderPath) {
  const int folder = open(folderPath.c_str(), O_RDONLY);
  if (folder < 0) return;
  fsync(folder);
  close(folder);
}

enum class Outcome { Done, Failed, CannotKeepOwner };

// The new content in a temporary file with the target's mode and owner, renamed
// over it. The file stays locked until after the rename. Everything that needs
// memory comes before the rename, so that a save reported as failed has never
// replaced the file.
Outcome ReplaceByRename(const std::string& target, const struct stat* existing, const FillFile& fill) {
  const std::string folder = FolderOf(target);
  std::string temporary;
  const int descriptor = CreateLockedTemporary(target + kSavingSuffix, temporary);
  if (descriptor < 0) {
    Failed("create a file beside", target);
    return Outcome::Failed;
  }
  Outcome outcome = Outcome::Failed;
  struct stat own;
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(descriptor, existing ? existing->st_mode & 07777 : 0666 & ~mask) != 0 || fstat(descriptor, &own) != 0) {
    Failed("set the mode of", temporary);
  } else if (existing && (own.st_uid != existing->st_uid || own.st_gid != existing->st_gid) &&
             fchown(descriptor, existing->st_uid, existing->st_gid) != 0) {
    outcome = Outcome::CannotKeepOwner;
  } else if (!fill(descriptor, target)) {
  } else if (fsync(descriptor) != 0) {
    Failed("sync", target);
  } else if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    Failed("rename over", target);
  } else {
    outcome = Outcome::Done;
  }
  if (outcome != Outcome::Done) unlink(temporary.c_str());
  close(descriptor);
  if (outcome == Outcome::Done) SyncFolder(folder);
  return outcome;
}

// Overwrites the file itself; the old content, copied aside first (to a file
// locked as a save's temporary file is), is written back when the new content
// cannot be.
bool ReplaceInPlace(const std::string& target, const std::string& content) {
  std::string old;
  if (!ReadFileContent(target, old)) return Failed("read", target);
  std::string aside;
  int copy = -1;
  if (access(FolderOf(target).c_str(), W_OK) == 0) {
    copy = CreateLockedTemporary(target + kSavingSuffix, aside);
    if (copy < 0) return Failed("create a file beside", target);
    if (!WriteAllAt(copy, old) || fsync(copy) != 0) {
      Failed("write a copy of", target);
      unlink(aside.c_str());
      close(copy);
      return false;
    }
  }
  const int descriptor = open(target.c_str(), O_WRONLY);
  bool written = descriptor >= 0 && WriteAllAt(descriptor, content) &&
                 ftruncate(descriptor, static_cast<off_t>(content.size())) == 0 && fsync(descriptor) == 0;
  if (!written) Failed("write", target);
  if (descriptor >= 0 && !written) {
    WriteAllAt(descriptor, old);
    if (ftruncate(descriptor, static_cast<off_t>(old.size())) == 0) fsync(descriptor);
  }
  if (descriptor >= 0 && close(descriptor) != 0 && written) written = Failed("write", target);
  if (copy >= 0) {
    unlink(aside.c_str());
    close(copy);
  }
  return written;
}

// By rename where it can, else in place with the content that `collect` gives.
bool Replace(const std::string& path, const FillFile& fill, const std::function<bool(std::string&)>& collect) {
  const std::string target = ResolvedPath(path);
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (CanRename(target, exists ? &existing : nullptr)) {
    const Outcome outcome = ReplaceByRename(target, exists ? &existing : nullptr, fill);
    if (outcome != Outcome::CannotKeepOwner) return outcome == Outcome::Done;
  }
  if (!exists) return Failed("create", target);
  std::string content;
  return collect(content) && ReplaceInPlace(target, content);
}
}  // namespace

std::string ResolvedPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool ReadFileContent(const std::string& path, std::string& content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return false;
  content = text.str();
  return true;
}

bool ReplaceFileContent(const std::string& path, const ContentProducer& produce) {
  return Replace(
      path,
      [&](int descriptor, const std::string& target) {
        return ProduceContent(produce, [&](const char* data, size_t size) {
          return WriteAll(descriptor, data, size) || Failed("write", target);
        });
      },
      [&](std::string& content) { return ContentInMemory(produce, content); });
}

bool ReplaceFileContent(const std::string& path, const FileProducer& produce) {
  return Replace(
      path,
      [&](int descriptor, const std::string& target) {
        // A stream of its own, so that closing it leaves the descriptor to the rename.
        const int own = dup(descriptor);
        std::FILE* file = own >= 0 ? fdopen(own, "wb") : nullptr;
        if (!file) {
          if (own >= 0) close(own);
          return Failed("write", target);
        }
        return ProduceAndClose(produce, file) || Failed("write", target);
      },
      [&](std::string& content) { return ContentInMemory(produce, content); });
}

bool CopyToNewFile(const std::string& source, const std::string& destination, bool& nameTaken) {
  nameTaken = false;
  const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0) return Failed("read", source);
  struct stat mode;
  const int to = fstat(from, &mode) == 0
                     ? open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode.st_mode & 0666)
                     : -1;
  if (to < 0) {
    nameTaken = errno == EEXIST;
    if (!nameTaken) Failed("create", destination);
    close(from);
    return false;
  }
  std::unique_ptr<char[]> piece(new (std::nothrow) char[kCopyPieceBytes]);
  bool copied = piece != nullptr;
  for (ssize_t n = 0; copied && (n = read(from, piece.get(), kCopyPieceBytes)) != 0;)
    copied = (n > 0 || errno == EINTR) && (n < 0 || WriteAll(to, piece.get(), static_cast<size_t>(n)));
  copied = (copied && fsync(to) == 0) || Failed("write", destination);
  close(from);
  if (close(to) != 0 && copied) copied = Failed("write", destination);
  if (!copied) unlink(destination.c_str());
  return copied;
}

bool RemoveAbandonedSaveFile(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool removed = flock(descriptor, LOCK_EX | LOCK_NB) == 0 && NamesDescriptor(path, descriptor) &&
                       unlink(path.c_str()) == 0;
  close(descriptor);
  return removed;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat existing;
  return stat(path.c_str(), &existing) == 0 &&
         (access(path.c_str(), W_OK) != 0 || !(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)));
}
