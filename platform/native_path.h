// File names as the system takes them: UTF-8 strings, which can hold any name,
// made from and turned back into wide text (the automation strings). Narrow
// text (Windows-1252) cannot write every name, so it only ever shows one.
#pragma once
#include <string>

std::string NativePath(const std::wstring& path);
std::wstring WideFromNativePath(const std::string& path);

// The system's temporary folder, without a trailing separator.
std::string TemporaryFolder();
