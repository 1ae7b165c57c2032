#include "platform/host_identity.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace {
std::atomic<bool> simulateFailure{false};
}

bool StartSocketLibrary() { return !simulateFailure; }

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

void SimulateSocketLibraryFailure(bool fail) { simulateFailure = fail; }
