// The Windows SDK headers that the port layer stands on, included once with the
// same macros everywhere so that every file sees the same declarations.
#pragma once
#ifndef _WIN32
#error "windows_sdk.h is for Windows builds only"
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
