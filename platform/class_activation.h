// Stand-in for the runtime's activation of in-process classes: a class is found
// by its program identifier in the registry, and an instance is made by the
// class object of the module that the registry names for it.
#pragma once
#include <string>

#include "platform/unknown.h"

using GetClassObjectEntry = HRESULT (*)(REFCLSID clsid, REFIID iid, void** object);

// There is no loading of modules here: a module linked into the program makes
// itself known under the path that its registration writes as InprocServer32.
void LoadInprocServer(const std::wstring& path, GetClassObjectEntry getClassObject);

// The class identifier under <progId>\CLSID; CO_E_CLASSSTRING when the program
// identifier is not registered.
HRESULT CLSIDFromProgID(const std::wstring& progId, CLSID* clsid);
// REGDB_E_CLASSNOTREG without CLSID\{clsid}\InprocServer32, CO_E_DLLNOTFOUND
// when no module of that path is loaded; otherwise what the class object's
// CreateInstance answers.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object);
