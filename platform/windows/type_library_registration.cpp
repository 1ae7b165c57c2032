#include "platform/type_library_registration.h"

#include <vector>

#include "platform/guid_text.h"
#include "platform/registry.h"
#include "platform/windows_sdk.h"

HRESULT RegisterTypeLibrary(const TypeLibraryIdentity&, const std::wstring& modulePath) {
  ITypeLib* library = nullptr;
  if (HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library); FAILED(hr)) return hr;
  std::wstring path = modulePath;
  // The folder as installers write it, with its last backslash.
  std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L"\\/") + 1);
  const HRESULT hr = RegisterTypeLib(library, path.data(), folder.data());
  library->Release();
  return hr;
}

HRESULT UnregisterTypeLibrary(const TypeLibraryIdentity& library) {
  // Unregistering what is not registered leaves the registry as wanted. The
  // runtime's answer for a library it cannot find differs between Windows and
  // Wine, so the key is looked for first.
  std::vector<std::wstring> versions;
  if (RegistrySubKeys(L"TypeLib\\" + GuidToString(*library.libid), versions) == REGDB_E_KEYMISSING) return S_OK;
  const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  const HRESULT hr =
      UnRegisterTypeLib(*library.libid, library.majorVersion, library.minorVersion, LOCALE_NEUTRAL, kind);
  return hr == TYPE_E_REGISTRYACCESS ? S_FALSE : hr;
}
