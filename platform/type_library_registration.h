// Registering a module's type library, so that callers find it by its
// identifier: the module holds the library as its TYPELIB resource 1.
#pragma once
#include <string>

#include "platform/unknown.h"

struct TypeLibraryIdentity {
  const GUID* libid;
  unsigned short majorVersion;
  unsigned short minorVersion;
  const wchar_t* help;
};

HRESULT RegisterTypeLibrary(const TypeLibraryIdentity& library, const std::wstring& modulePath);
HRESULT UnregisterTypeLibrary(const TypeLibraryIdentity& library);
