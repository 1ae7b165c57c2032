#include "platform/text_conversion.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

size_t WideToNarrow(char* destination, const wchar_t* source, size_t count) {
  return std::wcstombs(destination, source, count);
}

size_t NarrowToWide(wchar_t* destination, const char* source, size_t count) {
  return std::mbstowcs(destination, source, count);
}

std::string NarrowFromWide(const wchar_t* text) {
  std::string result;
  if (!text) return result;
  std::mbstate_t state{};
  for (const wchar_t* p = text; *p; ++p) {
    char bytes[MB_LEN_MAX];
    size_t n = std::wcrtomb(bytes, *p, &state);
    if (n == static_cast<size_t>(-1)) {
      result += '?';
      state = std::mbstate_t{};
    } else {
      result.append(bytes, n);
    }
  }
  return result;
}

std::wstring WideFromNarrow(const char* text) {
  std::wstring result;
  if (!text) return result;
  std::mbstate_t state{};
  const char* p = text;
  size_t left = std::strlen(text);
  while (left > 0) {
    wchar_t wide;
    size_t n = std::mbrtowc(&wide, p, left, &state);
    if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
      result += L'?';
      state = std::mbstate_t{};
      n = 1;
    } else {
      result += wide;
    }
    p += n;
    left -= n;
  }
  return result;
}
