#include "platform/host_identity.h"

#include <mutex>

#include "platform/windows_sdk.h"

namespace {
// Winsock is started once for the process and left running: every row id needs
// the host name, and stopping it between ids would only cost time.
bool SocketLibraryStarted() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 0), &data) == 0;
  }();
  return started;
}
}  // namespace

bool StartSocketLibrary() { return SocketLibraryStarted(); }

void StopSocketLibrary() {}

bool ReadHostName(char* buffer, size_t size) {
  if (size == 0 || !SocketLibraryStarted() || gethostname(buffer, static_cast<int>(size)) != 0) return false;
  buffer[size - 1] = '\0';
  return true;
}

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

std::string ExecutablePath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
  if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string text(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(length), text.data(), size, nullptr, nullptr);
  return text;
}
