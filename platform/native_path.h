// File names as the system takes them. Narrow text is Windows-1252 inside the
// system; here file names are bytes, read as UTF-8, so a name travels between
// the two through wide text.
#pragma once
#include <string>

std::string NativePath(const std::wstring& path);
std::string NativePathFromNarrow(const char* path);
std::wstring WideFromNativePath(const std::string& path);

// The system's temporary folder, without a trailing separator.
std::string TemporaryFolder();
