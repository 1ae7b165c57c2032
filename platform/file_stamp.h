// What tells one version of a file from another without reading it: the file's
// identity (device and inode, or volume and file index), size and time of its
// last change. A file replaced by a save of another process differs in its
// identity, one written in place in its time or size.
#pragma once
#include <cstdint>
#include <string>

struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t id = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the platform's finest unit

  bool operator==(const FileStamp& other) const {
    return device == other.device && id == other.id && size == other.size && modified == other.modified;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// The stamp of the file at the native path (links followed); false when there is none.
bool ReadFileStamp(const std::string& path, FileStamp& stamp);
