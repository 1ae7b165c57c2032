// Comparing wide text ignoring case, as member, program and registry names are
// compared.
#pragma once
#include <cwchar>

inline int CompareWideIgnoringCase(const wchar_t* a, const wchar_t* b) {
#ifdef _WIN32
  return _wcsicmp(a, b);
#else
  return wcscasecmp(a, b);
#endif
}

inline int CompareWideIgnoringCase(const wchar_t* a, const wchar_t* b, size_t count) {
#ifdef _WIN32
  return _wcsnicmp(a, b, count);
#else
  return wcsncasecmp(a, b, count);
#endif
}
