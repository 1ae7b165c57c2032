#include "platform/host_identity.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

bool StartSocketLibrary() { return true; }

void StopSocketLibrary() {}

bool ReadHostName(char* buffer, size_t size) {
  if (size == 0 || gethostname(buffer, size) != 0) return false;
  buffer[size - 1] = '\0';
  return true;
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

std::string ExecutablePath() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).string();
}
