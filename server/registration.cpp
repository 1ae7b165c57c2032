#include "server/registration.h"

#include <string>
#include <vector>

#include "platform/guid_text.h"
#include "platform/registry.h"

namespace {
// One value of the registration script: key, value name ("" for the key's
// default value) and value; a null name stands for a key without values.
struct ScriptLine {
  const wchar_t* key;
  const wchar_t* name;
  const wchar_t* value;
};

// The same for every class, with %MODULE_NAME%, %CLASS%, %DESCRIPTION%, %CLSID%,
// %MODULE% and %TYPELIB% put in.
constexpr ScriptLine kClassScript[] = {
    {L"%MODULE_NAME%.%CLASS%.1", L"", L"%DESCRIPTION%"},
    {L"%MODULE_NAME%.%CLASS%.1\\CLSID", L"", L"%CLSID%"},
    {L"%MODULE_NAME%.%CLASS%", L"", L"%DESCRIPTION%"},
    {L"%MODULE_NAME%.%CLASS%\\CLSID", L"", L"%CLSID%"},
    {L"%MODULE_NAME%.%CLASS%\\CurVer", L"", L"%MODULE_NAME%.%CLASS%.1"},
    {L"CLSID\\%CLSID%", L"", L"%DESCRIPTION%"},
    {L"CLSID\\%CLSID%\\ProgID", L"", L"%MODULE_NAME%.%CLASS%.1"},
    {L"CLSID\\%CLSID%\\VersionIndependentProgID", L"", L"%MODULE_NAME%.%CLASS%"},
    {L"CLSID\\%CLSID%\\Programmable", nullptr, nullptr},
    {L"CLSID\\%CLSID%\\InprocServer32", L"", L"%MODULE%"},
    {L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\%CLSID%\\TypeLib", L"", L"%TYPELIB%"},
};

// Removed whole on unregister; the class key is also cleared before register.
constexpr const wchar_t* kClassKeys[] = {L"%MODULE_NAME%.%CLASS%.1", L"%MODULE_NAME%.%CLASS%",
                                         L"CLSID\\%CLSID%"};
constexpr const wchar_t* kClassKey = kClassKeys[2];

using Replacements = std::vector<std::pair<std::wstring, std::wstring>>;

std::wstring Expand(std::wstring text, const Replacements& replacements) {
  for (const auto& [name, value] : replacements)
    for (size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + value.size()))
      text.replace(at, name.size(), value);
  return text;
}

Replacements ClassReplacements(const ClassEntry& entry, const ModuleIdentity& module,
                               const std::wstring& modulePath) {
  return {{L"%MODULE_NAME%", module.name},
          {L"%CLASS%", entry.name},
          {L"%DESCRIPTION%", entry.description},
          {L"%CLSID%", GuidToString(*entry.clsid)},
          {L"%MODULE%", modulePath},
          {L"%TYPELIB%", GuidToString(*module.typeLibrary->libid)}};
}

}  // namespace

HRESULT RegisterClassEntries(const ClassEntry& entry, const ModuleIdentity& module, const std::wstring& modulePath) {
  const Replacements replacements = ClassReplacements(entry, module, modulePath);
  if (HRESULT hr = RegistryDeleteTree(Expand(kClassKey, replacements)); FAILED(hr)) return hr;
  for (const ScriptLine& line : kClassScript) {
    const std::wstring key = Expand(line.key, replacements);
    const HRESULT hr = line.name ? RegistrySetValue(key, line.name, Expand(line.value, replacements))
                                 : RegistryCreateKey(key);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterClassEntries(const ClassEntry& entry, const ModuleIdentity& module) {
  const Replacements replacements = ClassReplacements(entry, module, L"");
  for (const wchar_t* key : kClassKeys)
    if (HRESULT hr = RegistryDeleteTree(Expand(key, replacements)); FAILED(hr)) return hr;
  return S_OK;
}
