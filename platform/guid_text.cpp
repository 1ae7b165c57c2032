#include "platform/guid_text.h"

#include <cwchar>
#include <cwctype>

std::wstring GuidToString(const GUID& guid) {
  wchar_t text[39];
  std::swprintf(text, 39, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2, guid.Data3,
                guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

HRESULT GuidFromString(const std::wstring& text, GUID* guid) {
  if (!guid) return E_POINTER;
  // Braces and dashes where they belong, hexadecimal digits everywhere else.
  const std::wstring shape = L"{hhhhhhhh-hhhh-hhhh-hhhh-hhhhhhhhhhhh}";
  if (text.size() != shape.size()) return CO_E_CLASSSTRING;
  for (size_t i = 0; i < shape.size(); ++i)
    if (shape[i] == L'h' ? !std::iswxdigit(text[i]) : text[i] != shape[i]) return CO_E_CLASSSTRING;
  auto hex = [&](size_t at, size_t digits) { return std::wcstoul(text.substr(at, digits).c_str(), nullptr, 16); };
  guid->Data1 = static_cast<std::uint32_t>(hex(1, 8));
  guid->Data2 = static_cast<std::uint16_t>(hex(10, 4));
  guid->Data3 = static_cast<std::uint16_t>(hex(15, 4));
  const size_t bytes[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (size_t i = 0; i < 8; ++i) guid->Data4[i] = static_cast<std::uint8_t>(hex(bytes[i], 2));
  return S_OK;
}
