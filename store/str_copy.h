// Copies between narrow and wide text, marking what cannot be converted with "X",
// and the moves between tString and automation strings.
#pragma once
#include "platform/bstr.h"
#include "store/tstring.h"

// count: destination units to write; negative means the source length + 1.
HRESULT tStrCpy(char* destination, const char* source, int count, bool terminate);
HRESULT tStrCpy(wchar_t* destination, const wchar_t* source, int count, bool terminate);
HRESULT tStrCpy(char* destination, const wchar_t* source, int count, bool terminate);
HRESULT tStrCpy(wchar_t* destination, const char* source, int count, bool terminate);

// The returned length counts the terminating zero as one more character.
BSTR BstrFromTString(const tString& text);
HRESULT TStringFromBstr(const OLECHAR* text, tString& out);
// Allocates for `length` characters (negative: measured); out-length gets the count.
HRESULT BstrFromText(const char* text, int length, BSTR* out, unsigned* outLength);
void FreeBstr(BSTR& field);
