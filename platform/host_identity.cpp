#include "platform/host_identity.h"

#include <unistd.h>

#include <atomic>

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

void SimulateSocketLibraryFailure(bool fail) { simulateFailure = fail; }
