#include "platform/bstr.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {
// The byte count sits in front of the characters, as on the real platform.
std::uint32_t* Header(BSTR text) { return reinterpret_cast<std::uint32_t*>(text) - 1; }
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, unsigned length) {
  const size_t bytes = sizeof(std::uint32_t) + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR);
  auto* block = static_cast<std::uint32_t*>(std::malloc(bytes));
  if (!block) return nullptr;
  *block = static_cast<std::uint32_t>(length * sizeof(OLECHAR));
  BSTR result = reinterpret_cast<BSTR>(block + 1);
  if (text) std::memcpy(result, text, length * sizeof(OLECHAR));
  else std::memset(result, 0, length * sizeof(OLECHAR));
  result[length] = L'\0';
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<unsigned>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(Header(text));
}

unsigned SysStringLen(BSTR text) {
  return text ? *Header(text) / sizeof(OLECHAR) : 0;
}
