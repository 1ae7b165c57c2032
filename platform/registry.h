// The system registry's classes root: a tree of keys, each with string values
// (the name "" is the key's default value). Key paths are relative to the
// classes root, names separated by "\"; names of keys and values compare
// ignoring case. Windows has the real one; elsewhere a stand-in keeps it in a
// .reg-style text file, which every call reads and every change writes back,
// so that separate processes see each other's registrations.
#pragma once
#include <string>
#include <vector>

#include "platform/hresult.h"

// Where the stand-in keeps the registry. The default is ".vexa-registry.reg" in
// the user's home directory (or in the temporary folder when there is no home).
// On Windows the registry is the system's: the file is not chosen, and its
// name is given as "HKEY_CLASSES_ROOT".
void SetRegistryFile(const std::string& path);
std::string RegistryFile();

// Creates the key and any missing parent.
HRESULT RegistryCreateKey(const std::wstring& key);
// Creates the key when needed and sets one value.
HRESULT RegistrySetValue(const std::wstring& key, const std::wstring& name, const std::wstring& value);
// REGDB_E_KEYMISSING when the key or the value does not exist.
HRESULT RegistryQueryValue(const std::wstring& key, const std::wstring& name, std::wstring& value);
// The names of the key's direct subkeys; "" lists the root's.
HRESULT RegistrySubKeys(const std::wstring& key, std::vector<std::wstring>& names);
// Removes the key with everything below it; S_FALSE when it did not exist.
HRESULT RegistryDeleteTree(const std::wstring& key);
