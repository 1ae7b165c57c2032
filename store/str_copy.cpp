#include "store/str_copy.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/text_conversion.h"
#include "platform/trace.h"

namespace {
template <typename Char>
size_t TextLength(const Char* text);
template <>
size_t TextLength(const char* text) { return std::strlen(text); }
template <>
size_t TextLength(const wchar_t* text) { return std::wcslen(text); }

template <typename Char>
HRESULT PlainCopy(Char* destination, const Char* source, int count, bool terminate) {
  if (!destination) return E_POINTER;
  if (!source) {
    *destination = 0;
    return S_OK;
  }
  size_t length = TextLength(source);
  size_t limit = count < 0 ? length + 1 : static_cast<size_t>(count);
  size_t copied = length < limit ? length : limit;
  std::memcpy(destination, source, copied * sizeof(Char));
  if (copied < limit) destination[copied] = 0;
  else if (terminate && limit > 0) destination[limit - 1] = 0;
  return S_OK;
}
}  // namespace

HRESULT tStrCpy(char* destination, const char* source, int count, bool terminate) {
  return PlainCopy(destination, source, count, terminate);
}

HRESULT tStrCpy(wchar_t* destination, const wchar_t* source, int count, bool terminate) {
  return PlainCopy(destination, source, count, terminate);
}

HRESULT tStrCpy(char* destination, const wchar_t* source, int count, bool terminate) {
  if (!destination) return E_POINTER;
  if (!source) {
    *destination = '\0';
    return S_OK;
  }
  const size_t sourceLength = std::wcslen(source);
  const size_t limit = count < 0 ? sourceLength + 1 : static_cast<size_t>(count);
  // Character by character, so that what precedes an unconvertible character is
  // kept and every source character from it on reads "X".
  size_t written = 0;
  size_t i = 0;
  bool failed = false;
  for (; i < sourceLength && written < limit; ++i) {
    unsigned char byte;
    if (!Windows1252FromWide(source[i], byte)) {
      failed = true;
      break;
    }
    destination[written++] = static_cast<char>(byte);
  }
  if (failed)
    for (; i < sourceLength && written < limit; ++i) destination[written++] = 'X';
  if (written < limit) destination[written] = '\0';
  else if (terminate && limit > 0) destination[limit - 1] = '\0';
  if (failed) {
    DebugTrace("tStrCpy: wcstombs encountered a wide character that it couldn't convert. String truncated to (%s)\n",
               destination);
  }
  return S_OK;
}

HRESULT tStrCpy(wchar_t* destination, const char* source, int count, bool terminate) {
  if (!destination) return E_POINTER;
  if (!source) {
    *destination = L'\0';
    return S_OK;
  }
  const size_t sourceLength = std::strlen(source);
  const size_t limit = count < 0 ? sourceLength + 1 : static_cast<size_t>(count);
  // Every byte has a wide character.
  size_t written = 0;
  for (size_t i = 0; i < sourceLength && written < limit; ++i)
    destination[written++] = WideFromWindows1252(static_cast<unsigned char>(source[i]));
  if (written < limit) destination[written] = L'\0';
  else if (terminate && limit > 0) destination[limit - 1] = L'\0';
  return S_OK;
}

BSTR BstrFromTString(const tString& text) {
  if (text.IsNull()) return SysAllocString(L"");
  const unsigned length = static_cast<unsigned>(text.Length()) + 1;
  BSTR result = SysAllocStringLen(nullptr, length);
  if (result) tStrCpy(result, text.Text(), static_cast<int>(length), true);
  return result;
}

HRESULT TStringFromBstr(const OLECHAR* text, tString& out) {
  if (!text) {
    out.Clear();
    return S_OK;
  }
  const size_t length = std::wcslen(text);
  std::vector<char> narrow(length + 1);
  tStrCpy(narrow.data(), text, static_cast<int>(narrow.size()), true);
  return out.Assign(narrow.data(), 8);
}

HRESULT BstrFromText(const char* text, int length, BSTR* out, unsigned* outLength) {
  if (!out) return E_POINTER;
  const unsigned count = length >= 0 ? static_cast<unsigned>(length) : (text ? static_cast<unsigned>(std::strlen(text)) : 0);
  *out = SysAllocStringLen(nullptr, count);
  if (!*out) return E_OUTOFMEMORY;
  if (text) tStrCpy(*out, text, static_cast<int>(count) + 1, true);
  if (outLength) *outLength = count;
  return S_OK;
}

void FreeBstr(BSTR& field) {
  SysFreeString(field);
  field = nullptr;
}
