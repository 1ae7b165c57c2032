// The module's type library: its name, version and help string. What it says
// of each class and interface is declared in vexa_config_interface.idl; the
// object map and the interfaces' member tables agree with it.
#pragma once
#include "automation/component_ids.h"
#include "platform/type_library_registration.h"

inline constexpr const wchar_t* kTypeLibraryName = L"VEXACONFIGINTERFACELib";
inline constexpr const wchar_t* kTypeLibraryVersion = L"1.0";
inline constexpr const wchar_t* kTypeLibraryHelp = L"VexaConfigInterface 1.0 Type Library";
inline constexpr TypeLibraryIdentity kTypeLibrary = {&LIBID_VEXACONFIGINTERFACELib, 1, 0, kTypeLibraryHelp};
