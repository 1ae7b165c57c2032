// The registry form of identifiers: "{5C1A7E10-3B2D-4C8E-9A41-6F0B2D7E2001}".
#pragma once
#include <string>

#include "platform/unknown.h"

std::wstring GuidToString(const GUID& guid);
// CO_E_CLASSSTRING when the text is not an identifier in registry form.
HRESULT GuidFromString(const std::wstring& text, GUID* guid);
