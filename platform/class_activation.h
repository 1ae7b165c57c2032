// Activation of in-process classes as the runtime's CLSIDFromProgID and
// CoCreateInstance do it, for the modules linked into this program: a class is
// found by its program identifier in the registry of registry.h, and an
// instance is made by the class object of the module that the registry names
// for it. The names differ from the runtime's so that both can live in one
// program on Windows.
#pragma once
#include <string>

#include "platform/unknown.h"

using GetClassObjectEntry = HRESULT(STDAPICALLTYPE*)(REFCLSID clsid, REFIID iid, void** object);

// There is no loading of modules here: a module linked into the program makes
// itself known under the path that its registration writes as InprocServer32.
void LoadInprocServer(const std::wstring& path, GetClassObjectEntry getClassObject);

// The class identifier under <progId>\CLSID; CO_E_CLASSSTRING when the program
// identifier is not registered.
HRESULT ClassIdFromProgramId(const std::wstring& progId, CLSID* clsid);
// REGDB_E_CLASSNOTREG without CLSID\{clsid}\InprocServer32, CO_E_DLLNOTFOUND
// when no module of that path is loaded; otherwise what the class object's
// CreateInstance answers.
HRESULT CreateRegisteredInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object);
