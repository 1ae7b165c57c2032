// The entry point of VexaConfigInterface.dll.
#include "platform/server_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    RecordServerModule(module);
    // The node pools' deleter threads, once started, run the module's code
    // until the process ends: the module stays loaded whatever the runtime
    // decides after DllCanUnloadNow.
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&DllMain), &pinned);
    // The module keeps nothing per thread.
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    ReleaseServerModule();
  }
  return TRUE;
}
