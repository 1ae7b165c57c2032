#include "query/clause_text.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

HRESULT CopySlice(const tString& text, int from, int to, tString& out) {
  int length = text.Length();
  if (to > length) to = length;
  if (from < 0) from = 0;
  if (to <= from) return out.Assign("", 0, 8);
  return out.Assign(text.c_str() + from, static_cast<size_t>(to - from), 8);
}

HRESULT CopyTrimmedRest(const tString& text, int from, tString& out) {
  HRESULT hr = CopySlice(text, from, text.Length(), out);
  out.Trim();
  return hr;
}

bool TextAfterFirst(const tString& text, const char* mark, tString& out) {
  int found = text.Find(mark);
  return found != tString::kNone && SUCCEEDED(CopyTrimmedRest(text, found + static_cast<int>(std::strlen(mark)), out));
}

bool RowStateFromFilter(const tString& value, std::int32_t& state) {
  switch (std::toupper(static_cast<unsigned char>(value.c_str()[0]))) {
    case 'D': state = kRowDeleted; return true;
    case 'E': state = kRowEdited; return true;
    case 'U': state = kRowUnchanged; return true;
    case 'N': state = kRowNew; return true;
    case 'A': state = kRowAny; return true;
    default: return false;
  }
}

std::int32_t ReadSignedInt(const char* text) {
  long number = std::strtol(text, nullptr, 10);
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return static_cast<std::int32_t>(number);
}
