// The entry point of VexaConfigInterface.dll.
#include "platform/server_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID processEnding) {
  if (reason == DLL_PROCESS_ATTACH) {
    RecordServerModule(module);
    // The module keeps nothing per thread.
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH && !processEnding) {
    // Unloaded by FreeLibrary: the runtime's libraries are still there to take
    // back what the module holds. At process end the system reclaims it all.
    ReleaseServerModule();
  }
  return TRUE;
}
