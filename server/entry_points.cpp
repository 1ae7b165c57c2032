#include "server/entry_points.h"

#include "automation/call_guard.h"
#include "automation/module_lock.h"
#include "platform/class_activation.h"
#include "platform/server_module.h"
#include "server/class_factory.h"
#include "server/registration.h"
#include "server/type_library.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const ClassEntry* entry = FindClass(clsid);
  if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
  ClassFactory* factory = ClassFactory::Create(*entry);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() { return ModuleLock::Count() == 0 ? S_OK : S_FALSE; }

namespace {
constexpr ModuleIdentity kModule = {L"VexaConfigInterface", &kTypeLibrary};
}  // namespace

STDAPI DllRegisterServer() {
  return GuardedCall("DllRegisterServer", nullptr, [] {
    const std::wstring modulePath = ServerModulePath();
    for (const ClassEntry& entry : kObjectMap)
      if (HRESULT hr = RegisterClassEntries(entry, kModule, modulePath); FAILED(hr)) return hr;
    return RegisterTypeLibrary(kTypeLibrary, modulePath);
  });
}

STDAPI DllUnregisterServer() {
  return GuardedCall("DllUnregisterServer", nullptr, [] {
    for (const ClassEntry& entry : kObjectMap)
      if (HRESULT hr = UnregisterClassEntries(entry, kModule); FAILED(hr)) return hr;
    return UnregisterTypeLibrary(kTypeLibrary);
  });
}

void AttachServerModule() { LoadInprocServer(ServerModulePath(), DllGetClassObject); }
