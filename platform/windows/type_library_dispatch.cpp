#include "platform/type_library_dispatch.h"

#include <cstring>
#include <map>
#include <mutex>

#include "platform/server_module.h"

namespace {
struct IidLess {
  bool operator()(const IID& a, const IID& b) const { return std::memcmp(&a, &b, sizeof(IID)) < 0; }
};

// Objects live in the apartments of several threads, all reading one cache.
std::mutex cacheMutex;
ITypeLib* typeLibrary = nullptr;
std::map<IID, ITypeInfo*, IidLess> typeInfos;

HRESULT CachedTypeInfo(REFIID iid, ITypeInfo** info) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  if (const auto found = typeInfos.find(iid); found != typeInfos.end()) {
    *info = found->second;
    return S_OK;
  }
  if (!typeLibrary) {
    if (HRESULT hr = LoadTypeLibEx(ServerModulePath().c_str(), REGKIND_NONE, &typeLibrary); FAILED(hr)) return hr;
  }
  ITypeInfo* loaded = nullptr;
  if (HRESULT hr = typeLibrary->GetTypeInfoOfGuid(iid, &loaded); FAILED(hr)) return hr;
  typeInfos[iid] = loaded;
  *info = loaded;
  return S_OK;
}
}  // namespace

HRESULT TypeLibraryTypeInfo(REFIID iid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  ITypeInfo* cached = nullptr;
  if (HRESULT hr = CachedTypeInfo(iid, &cached); FAILED(hr)) return hr;
  cached->AddRef();
  *info = cached;
  return S_OK;
}

HRESULT TypeLibraryGetIDsOfNames(REFIID iid, OLECHAR** names, unsigned count, DISPID* ids) {
  ITypeInfo* info = nullptr;
  if (HRESULT hr = CachedTypeInfo(iid, &info); FAILED(hr)) return hr;
  return DispGetIDsOfNames(info, names, count, ids);
}

HRESULT TypeLibraryInvoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, unsigned* argumentError) {
  ITypeInfo* info = nullptr;
  if (HRESULT hr = CachedTypeInfo(iid, &info); FAILED(hr)) return hr;
  return info->Invoke(object, member, flags, params, result, exception, argumentError);
}

void ReleaseTypeLibraryDispatch() {
  std::lock_guard<std::mutex> lock(cacheMutex);
  for (auto& entry : typeInfos) entry.second->Release();
  typeInfos.clear();
  if (typeLibrary) typeLibrary->Release();
  typeLibrary = nullptr;
}
