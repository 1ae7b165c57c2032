// The module's type library: its name, version and help string. What it says
// of each class and interface is kept in the object map and the interfaces'
// member tables.
#pragma once

inline constexpr const wchar_t* kTypeLibraryName = L"VEXACONFIGINTERFACELib";
inline constexpr const wchar_t* kTypeLibraryVersion = L"1.0";
inline constexpr const wchar_t* kTypeLibraryHelp = L"VexaConfigInterface 1.0 Type Library";
