// VexaZLibInterface.dll: the archive component as a module of its own, with its
// one class, its own type library and the four entry points of every
// in-process server. Its registration is the same script as the
// configuration classes', under its own module name and type library.
#include "automation/module_lock.h"
#include "platform/server_module.h"
#include "platform/type_library_registration.h"
#include "server/class_factory.h"
#include "server/registration.h"
#include "storage/zlib_obj.h"

namespace {
constexpr TypeLibraryIdentity kZlibTypeLibrary = {&LIBID_VexaZLibInterfaceLib, 1, 0,
                                                  L"VexaZLibInterface 1.0 Type Library"};
constexpr ModuleIdentity kModule = {L"VexaZLibInterface", &kZlibTypeLibrary};
const ClassEntry kZlibObjClass = {L"ZlibObj", L"ZlibObj Class", L"ZlibObj Class", &CLSID_ZlibObj,
                                  L"IZlibObj", &IID_IZlibObj, &IZlibObj::kDispatch, nullptr, nullptr,
                                  CreateZlibObj};
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    RecordServerModule(module);
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH) {
    ReleaseServerModule();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_ZlibObj) return CLASS_E_CLASSNOTAVAILABLE;
  ClassFactory* factory = ClassFactory::Create(kZlibObjClass);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() { return ModuleLock::Count() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  const std::wstring modulePath = ServerModulePath();
  if (HRESULT hr = RegisterClassEntries(kZlibObjClass, kModule, modulePath); FAILED(hr)) return hr;
  return RegisterTypeLibrary(kZlibTypeLibrary, modulePath);
}

STDAPI DllUnregisterServer() {
  if (HRESULT hr = UnregisterClassEntries(kZlibObjClass, kModule); FAILED(hr)) return hr;
  return UnregisterTypeLibrary(kZlibTypeLibrary);
}
