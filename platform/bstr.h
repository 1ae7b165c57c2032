// Automation strings: length-prefixed, zero-terminated wide text owned by whoever
// receives it. The length counts characters and may include embedded zeros.
#pragma once
#include <cstdint>

#include "platform/hresult.h"

#ifndef _WIN32
using OLECHAR = wchar_t;
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, unsigned length);  // null text: zero-filled
void SysFreeString(BSTR text);
unsigned SysStringLen(BSTR text);
#endif
