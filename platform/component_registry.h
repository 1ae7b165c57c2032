// Creating a component by its program identifier: the class identifier from the
// program identifier, then an instance in any context (in-process, handler or
// local server: context 23) asked for IUnknown, then the interface wanted. On
// Windows a server DLL asks the runtime, so that the component is the registered
// one; a program that links the component in uses its own copy. Elsewhere the
// components linked into the program stand in for the runtime's class store.
#pragma once
#include <string>

#include "platform/unknown.h"

using ComponentCreator = HRESULT (*)(REFIID iid, void** object);

void RegisterComponent(const std::wstring& progId, ComponentCreator creator);
void UnregisterComponent(const std::wstring& progId);

// CO_E_CLASSSTRING for an unknown program identifier, else the creator's or the runtime's result.
HRESULT CreateComponent(const std::wstring& progId, REFIID iid, void** object);
// The component linked into the program; CO_E_CLASSSTRING when there is none.
HRESULT CreateLinkedComponent(const std::wstring& progId, REFIID iid, void** object);
