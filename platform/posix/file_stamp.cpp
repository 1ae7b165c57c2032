#include "platform/file_stamp.h"

#include <sys/stat.h>

bool ReadFileStamp(const std::string& path, FileStamp& stamp) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  stamp.device = static_cast<std::uint64_t>(status.st_dev);
  stamp.id = static_cast<std::uint64_t>(status.st_ino);
  stamp.size = static_cast<std::uint64_t>(status.st_size);
  stamp.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
  return true;
}
