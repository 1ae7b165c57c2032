#include "server/registration.h"

#include <string>
#include <vector>

#include "automation/component_ids.h"
#include "platform/guid_text.h"
#include "platform/registry.h"
#include "server/type_library.h"

namespace {
// One value of the registration script: key, value name ("" for the key's
// default value) and value; a null name stands for a key without values.
struct ScriptLine {
  const wchar_t* key;
  const wchar_t* name;
  const wchar_t* value;
};

// The same for every class, with %CLASS%, %DESCRIPTION%, %CLSID%, %MODULE% and
// %TYPELIB% put in.
constexpr ScriptLine kClassScript[] = {
    {L"VexaConfigInterface.%CLASS%.1", L"", L"%DESCRIPTION%"},
    {L"VexaConfigInterface.%CLASS%.1\\CLSID", L"", L"%CLSID%"},
    {L"VexaConfigInterface.%CLASS%", L"", L"%DESCRIPTION%"},
    {L"VexaConfigInterface.%CLASS%\\CLSID", L"", L"%CLSID%"},
    {L"VexaConfigInterface.%CLASS%\\CurVer", L"", L"VexaConfigInterface.%CLASS%.1"},
    {L"CLSID\\%CLSID%", L"", L"%DESCRIPTION%"},
    {L"CLSID\\%CLSID%\\ProgID", L"", L"VexaConfigInterface.%CLASS%.1"},
    {L"CLSID\\%CLSID%\\VersionIndependentProgID", L"", L"VexaConfigInterface.%CLASS%"},
    {L"CLSID\\%CLSID%\\Programmable", nullptr, nullptr},
    {L"CLSID\\%CLSID%\\InprocServer32", L"", L"%MODULE%"},
    {L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\%CLSID%\\TypeLib", L"", L"%TYPELIB%"},
};

// Removed whole on unregister; the class key is also cleared before register.
constexpr const wchar_t* kClassKeys[] = {L"VexaConfigInterface.%CLASS%.1", L"VexaConfigInterface.%CLASS%",
                                         L"CLSID\\%CLSID%"};
constexpr const wchar_t* kClassKey = kClassKeys[2];

using Replacements = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring Expand(std::wstring text, const Replacements& replacements) {
  for (const auto& [name, value] : replacements)
    for (size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + value.size()))
      text.replace(at, name.size(), value);
  return text;
}

Replacements ClassReplacements(const ClassEntry& entry, const std::wstring& modulePath) {
  return {{L"%CLASS%", entry.name},
          {L"%DESCRIPTION%", entry.description},
          {L"%CLSID%", GuidToString(*entry.clsid)},
          {L"%MODULE%", modulePath},
          {L"%TYPELIB%", GuidToString(LIBID_VEXACONFIGINTERFACELib)}};
}

std::wstring TypeLibraryKey() { return L"TypeLib\\" + GuidToString(LIBID_VEXACONFIGINTERFACELib); }
}  // namespace

HRESULT RegisterClassEntries(const ClassEntry& entry, const std::wstring& modulePath) {
  const Replacements replacements = ClassReplacements(entry, modulePath);
  if (HRESULT hr = RegistryDeleteTree(Expand(kClassKey, replacements)); FAILED(hr)) return hr;
  for (const ScriptLine& line : kClassScript) {
    const std::wstring key = Expand(line.key, replacements);
    const HRESULT hr = line.name ? RegistrySetValue(key, line.name, Expand(line.value, replacements))
                                 : RegistryCreateKey(key);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterClassEntries(const ClassEntry& entry) {
  const Replacements replacements = ClassReplacements(entry, L"");
  for (const wchar_t* key : kClassKeys)
    if (HRESULT hr = RegistryDeleteTree(Expand(key, replacements)); FAILED(hr)) return hr;
  return S_OK;
}

// The interfaces are not registered: every call stays in the caller's
// apartment, so no proxy ever needs to find them.
HRESULT RegisterTypeLibrary(const std::wstring& modulePath) {
  const std::wstring version = TypeLibraryKey() + L"\\" + kTypeLibraryVersion;
  const size_t slash = modulePath.find_last_of(L"/\\");
  const std::wstring folder = slash == std::wstring::npos ? L"" : modulePath.substr(0, slash == 0 ? 1 : slash);
  HRESULT hr = RegistrySetValue(version, L"", kTypeLibraryHelp);
  if (SUCCEEDED(hr)) hr = RegistrySetValue(version + L"\\0\\win32", L"", modulePath);
  if (SUCCEEDED(hr)) hr = RegistrySetValue(version + L"\\FLAGS", L"", L"0");
  if (SUCCEEDED(hr)) hr = RegistrySetValue(version + L"\\HELPDIR", L"", folder);
  return FAILED(hr) ? hr : S_OK;
}

// Unlike CLSID, which every server shares, TypeLib goes as soon as no library
// is left in it.
HRESULT UnregisterTypeLibrary() {
  if (HRESULT hr = RegistryDeleteTree(TypeLibraryKey()); FAILED(hr)) return hr;
  std::vector<std::wstring> left;
  if (SUCCEEDED(RegistrySubKeys(L"TypeLib", left)) && left.empty()) return RegistryDeleteTree(L"TypeLib");
  return S_OK;
}
