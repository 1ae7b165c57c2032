// What the module writes into the classes root for each class, and removes again.
#pragma once
#include <string>

#include "server/object_map.h"

// Both program identifiers and the class key; the class key is replaced whole.
HRESULT RegisterClassEntries(const ClassEntry& entry, const std::wstring& modulePath);
// Removes both program identifiers and the class key; the CLSID key stays.
HRESULT UnregisterClassEntries(const ClassEntry& entry);
