#include "platform/type_library_registration.h"

#include <vector>

#include "platform/guid_text.h"
#include "platform/registry.h"

namespace {
std::wstring TypeLibraryKey(const TypeLibraryIdentity& library) { return L"TypeLib\\" + GuidToString(*library.libid); }
}  // namespace

// The keys that the runtime's RegisterTypeLib writes for a library. The
// interfaces are not registered: every call stays in the caller's apartment,
// so no proxy ever needs to find them.
HRESULT RegisterTypeLibrary(const TypeLibraryIdentity& library, const std::wstring& modulePath) {
  const std::wstring version = TypeLibraryKey(library) + L"\\" + std::to_wstring(library.majorVersion) + L"." +
                               std::to_wstring(library.minorVersion);
  const size_t slash = modulePath.find_last_of(L"/\\");
  const std::wstring folder = slash == std::wstring::npos ? L"" : modulePath.substr(0, slash == 0 ? 1 : slash);
  HRESULT hr = RegistrySetValue(version, L"", library.help);
  if (SUCCEEDED(hr)) hr = RegistrySetValue(version + L"\\0\\win32", L"", modulePath);
  if (SUCCEEDED(hr)) hr = RegistrySetValue(version + L"\\FLAGS", L"", L"0");
  if (SUCCEEDED(hr)) hr = RegistrySetValue(version + L"\\HELPDIR", L"", folder);
  return FAILED(hr) ? hr : S_OK;
}

// Unlike CLSID, which every server shares, TypeLib goes as soon as no library
// is left in it.
HRESULT UnregisterTypeLibrary(const TypeLibraryIdentity& library) {
  if (HRESULT hr = RegistryDeleteTree(TypeLibraryKey(library)); FAILED(hr)) return hr;
  std::vector<std::wstring> left;
  if (SUCCEEDED(RegistrySubKeys(L"TypeLib", left)) && left.empty()) return RegistryDeleteTree(L"TypeLib");
  return S_OK;
}
