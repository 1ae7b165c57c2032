#include "platform/server_module.h"

#include <atomic>

#include "platform/type_library_dispatch.h"

namespace {
// Null until a DLL records itself: then the program is the module.
std::atomic<HMODULE> serverModule{nullptr};
}  // namespace

void RecordServerModule(HMODULE module) { serverModule = module; }

void ReleaseServerModule() {
  ReleaseTypeLibraryDispatch();
  serverModule = nullptr;
}

bool RunsInServerModule() { return serverModule != nullptr; }

std::wstring ServerModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(serverModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}
