#include "platform/component_registry.h"

#include "platform/server_module.h"
#include "platform/windows_sdk.h"

namespace {
constexpr DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
}  // namespace

HRESULT CreateComponent(const std::wstring& progId, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // A program is no registered server and need not have started the runtime.
  if (!RunsInServerModule()) return CreateLinkedComponent(progId, iid, object);
  CLSID clsid;
  if (HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid); FAILED(hr)) return hr;
  IUnknown* instance = nullptr;
  if (HRESULT hr = CoCreateInstance(clsid, nullptr, kAnyServer, IID_IUnknown, reinterpret_cast<void**>(&instance));
      FAILED(hr))
    return hr;
  const HRESULT hr = instance->QueryInterface(iid, object);
  instance->Release();
  return hr;
}
