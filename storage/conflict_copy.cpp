#include "storage/conflict_copy.h"

#include <ctime>

#include "platform/calendar_time.h"
#include "platform/file_replace.h"

namespace {
constexpr int kMostNamesTried = 100;
}

std::string KeepConflictCopy(const std::string& path) {
  const std::string name = path + ".Conflict-" + CompactLocalTime(std::time(nullptr));
  for (int attempt = 1; attempt <= kMostNamesTried; ++attempt) {
    const std::string copy = attempt == 1 ? name : name + "-" + std::to_string(attempt);
    bool nameTaken = false;
    if (CopyToNewFile(path, copy, nameTaken)) return copy;
    if (!nameTaken) break;
  }
  return "";
}
