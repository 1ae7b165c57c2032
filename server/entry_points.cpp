#include "server/entry_points.h"

#include "automation/module_lock.h"
#include "platform/class_activation.h"
#include "platform/host_identity.h"
#include "platform/native_path.h"
#include "server/class_factory.h"
#include "server/registration.h"

namespace {
// The module is linked into the running program, so it has the program's path.
std::wstring ModulePath() { return WideFromNativePath(ExecutablePath()); }
}  // namespace

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

STDAPI DllRegisterServer() {
  const std::wstring modulePath = ModulePath();
  for (const ClassEntry& entry : kObjectMap)
    if (HRESULT hr = RegisterClassEntries(entry, modulePath); FAILED(hr)) return hr;
  return RegisterTypeLibrary(modulePath);
}

STDAPI DllUnregisterServer() {
  for (const ClassEntry& entry : kObjectMap)
    if (HRESULT hr = UnregisterClassEntries(entry); FAILED(hr)) return hr;
  return UnregisterTypeLibrary();
}

void AttachServerModule() { LoadInprocServer(ModulePath(), DllGetClassObject); }
