// Stand-in for the runtime's class store: creating a component by its program
// identifier, as CLSIDFromProgID followed by CoCreateInstance would.
#pragma once
#include <string>

#include "platform/unknown.h"

using ComponentCreator = HRESULT (*)(REFIID iid, void** object);

void RegisterComponent(const std::wstring& progId, ComponentCreator creator);
void UnregisterComponent(const std::wstring& progId);

// CO_E_CLASSSTRING for an unknown program identifier, else the creator's result.
HRESULT CreateComponent(const std::wstring& progId, REFIID iid, void** object);
