// The module that the server's code runs in: a DLL records its handle when it
// is loaded; code linked into a program belongs to the program itself.
#pragma once
#include <string>

#ifdef _WIN32
#include "platform/windows_sdk.h"

// Called by the DLL's entry point on process attach and detach.
void RecordServerModule(HMODULE module);
void ReleaseServerModule();
// True inside a DLL that recorded itself, false in a program.
bool RunsInServerModule();
#endif

// The full path of the module: where its registration points and where its
// type library is read from.
std::wstring ServerModulePath();
