#include "platform/class_activation.h"

#include <map>
#include <mutex>

#include "platform/class_factory.h"
#include "platform/guid_text.h"
#include "platform/registry.h"

namespace {
std::mutex& ModulesMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<std::wstring, GetClassObjectEntry>& LoadedModules() {
  static std::map<std::wstring, GetClassObjectEntry> modules;
  return modules;
}

GetClassObjectEntry FindModule(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(ModulesMutex());
  const auto found = LoadedModules().find(path);
  return found == LoadedModules().end() ? nullptr : found->second;
}
}  // namespace

void LoadInprocServer(const std::wstring& path, GetClassObjectEntry getClassObject) {
  std::lock_guard<std::mutex> lock(ModulesMutex());
  LoadedModules()[path] = getClassObject;
}

HRESULT ClassIdFromProgramId(const std::wstring& progId, CLSID* clsid) {
  if (!clsid) return E_POINTER;
  std::wstring text;
  if (progId.empty() || FAILED(RegistryQueryValue(progId + L"\\CLSID", L"", text))) return CO_E_CLASSSTRING;
  return GuidFromString(text, clsid);
}

HRESULT CreateRegisteredInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  std::wstring path;
  if (FAILED(RegistryQueryValue(L"CLSID\\" + GuidToString(clsid) + L"\\InprocServer32", L"", path)))
    return REGDB_E_CLASSNOTREG;
  const GetClassObjectEntry getClassObject = FindModule(path);
  if (!getClassObject) return CO_E_DLLNOTFOUND;
  IClassFactory* factory = nullptr;
  if (HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)); FAILED(hr))
    return hr;
  const HRESULT hr = factory->CreateInstance(outer, iid, object);
  factory->Release();
  return hr;
}
