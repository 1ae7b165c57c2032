#include "platform/registry.h"

#include "platform/windows_sdk.h"

namespace {
HRESULT FromError(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

class OpenKey {
 public:
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* operator&() { return &key_; }
  operator HKEY() const { return key_; }

 private:
  HKEY key_ = nullptr;
};
}  // namespace

// The registry is the system's own: there is no file to choose.
void SetRegistryFile(const std::string&) {}
std::string RegistryFile() { return "HKEY_CLASSES_ROOT"; }

HRESULT RegistryCreateKey(const std::wstring& key) {
  OpenKey created;
  return FromError(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                   nullptr, &created, nullptr));
}

HRESULT RegistrySetValue(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  OpenKey created;
  if (HRESULT hr = FromError(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_WRITE, nullptr, &created, nullptr));
      FAILED(hr))
    return hr;
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return FromError(RegSetValueExW(created, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes));
}

HRESULT RegistryQueryValue(const std::wstring& key, const std::wstring& name, std::wstring& value) {
  DWORD bytes = 0;
  LONG error = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  if (error == ERROR_FILE_NOT_FOUND) return REGDB_E_KEYMISSING;
  if (error != ERROR_SUCCESS) return FromError(error);
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  error = RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
  if (error != ERROR_SUCCESS) return FromError(error);
  text.resize(wcsnlen(text.c_str(), text.size()));
  value = text;
  return S_OK;
}

HRESULT RegistrySubKeys(const std::wstring& key, std::vector<std::wstring>& names) {
  OpenKey opened;
  LONG error = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened);
  if (error == ERROR_FILE_NOT_FOUND) return REGDB_E_KEYMISSING;
  if (error != ERROR_SUCCESS) return FromError(error);
  names.clear();
  wchar_t name[256];  // the longest key name the registry allows, and its end
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name / sizeof name[0];
    error = RegEnumKeyExW(opened, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_NO_MORE_ITEMS) return S_OK;
    if (error != ERROR_SUCCESS) return FromError(error);
    names.emplace_back(name, length);
  }
}

HRESULT RegistryDeleteTree(const std::wstring& key) {
  if (key.empty()) return E_INVALIDARG;
  const LONG error = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  return error == ERROR_FILE_NOT_FOUND ? S_FALSE : FromError(error);
}
