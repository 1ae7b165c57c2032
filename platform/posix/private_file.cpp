#include "platform/private_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/trace.h"

namespace {
bool WriteAll(int descriptor, const std::string& content) {
  for (size_t done = 0; done < content.size();) {
    const ssize_t n = write(descriptor, content.data() + done, content.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

std::string CreatePrivateFile(const std::string& prefix) {
  std::string path = prefix + "XXXXXX";
  const int descriptor = mkstemp(path.data());
  if (descriptor < 0) return "";
  close(descriptor);
  return path;
}

bool WriteReplacingEntry(const std::string& path, const std::string& content) {
  std::string temporary = path + ".XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) return false;
  const bool written = WriteAll(descriptor, content);
  if (close(descriptor) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    DebugTrace("WriteReplacingEntry: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    unlink(temporary.c_str());
    return false;
  }
  return true;
}
