// Narrow text is Windows-1252 on every platform and in every locale: one fixed
// table, in which the five bytes that the code page leaves undefined stand for
// the code points of the same value, so that every byte survives a round trip
// through wide text. UTF-8 is for the outside world: the tool's arguments and
// output, and file names on systems whose file names are bytes.
#pragma once
#include <string>

// The wide character of a narrow byte (every byte has one).
wchar_t WideFromWindows1252(unsigned char byte);
// The narrow byte of a wide character; false when the table has none.
bool Windows1252FromWide(wchar_t wide, unsigned char& byte);

// Whole-text conversions; a character that cannot be converted becomes '?'.
std::string NarrowFromWide(const wchar_t* text);
std::wstring WideFromNarrow(const char* text);

// UTF-8; a malformed sequence reads as U+FFFD, one per byte.
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromNarrow(const char* text);
std::string NarrowFromUtf8(const std::string& text);
