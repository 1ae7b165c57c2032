#include "platform/file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
bool WriteAll(int descriptor, const char* data, size_t size) {
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(descriptor, data + done, size - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAllAt(int descriptor, const std::string& content) {
  for (size_t done = 0; done < content.size();) {
    const ssize_t n = pwrite(descriptor, content.data() + done, content.size() - done, static_cast<off_t>(done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
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
// over it. Everything that needs memory comes before the rename, so that a save
// reported as failed has never replaced the file.
Outcome ReplaceByRename(const std::string& target, const struct stat* existing, const ContentProducer& produce) {
  const std::string folder = FolderOf(target);
  std::string temporary = target + kSavingSuffix + "XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) return Outcome::Failed;
  Outcome outcome = Outcome::Failed;
  struct stat own;
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(descriptor, existing ? existing->st_mode & 07777 : 0666 & ~mask) != 0 || fstat(descriptor, &own) != 0) {
    outcome = Outcome::Failed;
  } else if (existing && (own.st_uid != existing->st_uid || own.st_gid != existing->st_gid) &&
             fchown(descriptor, existing->st_uid, existing->st_gid) != 0) {
    outcome = Outcome::CannotKeepOwner;
  } else if (ProduceContent(produce, [descriptor](const char* data, size_t size) { return WriteAll(descriptor, data, size); }) &&
             fsync(descriptor) == 0) {
    outcome = Outcome::Done;
  }
  if (close(descriptor) != 0 && outcome == Outcome::Done) outcome = Outcome::Failed;
  if (outcome == Outcome::Done && std::rename(temporary.c_str(), target.c_str()) != 0) outcome = Outcome::Failed;
  if (outcome != Outcome::Done) unlink(temporary.c_str());
  else SyncFolder(folder);
  return outcome;
}

// Overwrites the file itself; the old content, copied aside first, is written
// back when the new content cannot be.
bool ReplaceInPlace(const std::string& target, const std::string& content) {
  std::string old;
  if (!ReadFileContent(target, old)) return false;
  std::string aside;
  if (access(FolderOf(target).c_str(), W_OK) == 0) {
    aside = target + kSavingSuffix + "XXXXXX";
    const int copy = mkstemp(aside.data());
    if (copy < 0) return false;
    const bool copied = WriteAllAt(copy, old) && fsync(copy) == 0;
    if (close(copy) != 0 || !copied) {
      unlink(aside.c_str());
      return false;
    }
  }
  const int descriptor = open(target.c_str(), O_WRONLY);
  bool written = descriptor >= 0 && WriteAllAt(descriptor, content) &&
                 ftruncate(descriptor, static_cast<off_t>(content.size())) == 0 && fsync(descriptor) == 0;
  if (descriptor >= 0 && !written) {
    WriteAllAt(descriptor, old);
    if (ftruncate(descriptor, static_cast<off_t>(old.size())) == 0) fsync(descriptor);
  }
  if (descriptor >= 0 && close(descriptor) != 0) written = false;
  if (!aside.empty()) unlink(aside.c_str());
  return written;
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
  const std::string target = ResolvedPath(path);
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (CanRename(target, exists ? &existing : nullptr)) {
    const Outcome outcome = ReplaceByRename(target, exists ? &existing : nullptr, produce);
    if (outcome != Outcome::CannotKeepOwner) return outcome == Outcome::Done;
  }
  std::string content;
  return exists && ContentInMemory(produce, content) && ReplaceInPlace(target, content);
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat existing;
  return stat(path.c_str(), &existing) == 0 &&
         (access(path.c_str(), W_OK) != 0 || !(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)));
}
