// What the module writes into the classes root for each class, and removes again.
#pragma once
#include <string>

#include "platform/type_library_registration.h"
#include "server/object_map.h"

// The module a class belongs to: its program identifiers are the module's name,
// a dot and the class's name; its class key names the module's type library.
struct ModuleIdentity {
  const wchar_t* name;  // "VexaConfigInterface"
  const TypeLibraryIdentity* typeLibrary;
};

// Both program identifiers and the class key; the class key is replaced whole.
HRESULT RegisterClassEntries(const ClassEntry& entry, const ModuleIdentity& module, const std::wstring& modulePath);
// Removes both program identifiers and the class key; the CLSID key stays.
HRESULT UnregisterClassEntries(const ClassEntry& entry, const ModuleIdentity& module);
