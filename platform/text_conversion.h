// Narrow/wide conversion in the process's current locale (the C library's
// wcstombs/mbstowcs), and convenience forms for paths and messages.
#pragma once
#include <cstddef>
#include <string>

// Same contract as wcstombs/mbstowcs: the count of units written, or (size_t)-1
// when a character cannot be converted.
size_t WideToNarrow(char* destination, const wchar_t* source, size_t count);
size_t NarrowToWide(wchar_t* destination, const char* source, size_t count);

// Whole-text conversions; a character that cannot be converted becomes '?'.
std::string NarrowFromWide(const wchar_t* text);
std::wstring WideFromNarrow(const char* text);
