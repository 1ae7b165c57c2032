#include "store/tstring.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/trace.h"

namespace {
constexpr int kFormatStartCapacity = 40;
constexpr int kReaderStartCapacity = 25;

// The C runtime's upper-casing in the locale the program keeps ("C"): the
// letters a to z only, whatever the platform; spelled out to stay inline.
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Output buffers of the field and token readers start small and double.
HRESULT CopyInto(tString& out, const char* begin, size_t length) {
  int needed = static_cast<int>(length) + 1;
  if (needed > out.Capacity()) {
    int capacity = std::max(out.Capacity(), kReaderStartCapacity);
    while (capacity < needed) capacity *= 2;
    if (FAILED(out.Reserve(capacity, false))) return E_OUTOFMEMORY;
  }
  return out.Assign(begin, length, 0);
}
}  // namespace

tString::tString(const char* text) { Assign(text); }

tString::tString(const tString& other) { Assign(other); }

tString::tString(tString&& other) noexcept : text_(other.text_), capacity_(other.capacity_) {
  other.text_ = nullptr;
  other.capacity_ = 0;
}

tString& tString::operator=(const tString& other) {
  if (this != &other) Assign(other);
  return *this;
}

tString& tString::operator=(tString&& other) noexcept {
  if (this != &other) {
    freeOwned();
    text_ = other.text_;
    capacity_ = other.capacity_;
    other.text_ = nullptr;
    other.capacity_ = 0;
  }
  return *this;
}

tString::~tString() { freeOwned(); }

HRESULT tString::Grow(int bytes, bool keepText) {
  char* buffer = new (std::nothrow) char[bytes];
  if (!buffer) return E_OUTOFMEMORY;
  if (keepText && text_) std::memcpy(buffer, text_, std::strlen(text_) + 1);
  else buffer[0] = '\0';
  freeOwned();
  text_ = buffer;
  capacity_ = bytes;
  return S_OK;
}

HRESULT tString::Reserve(int bytes, bool keepText) {
  return bytes > capacity_ ? Grow(bytes, keepText) : S_OK;
}

HRESULT tString::Assign(const char* text, int growStep) {
  if (!text) {
    Clear();
    return S_OK;
  }
  return Assign(text, std::strlen(text), growStep);
}

HRESULT tString::Assign(const char* text, size_t length, int growStep) {
  int needed = static_cast<int>(length) + 1;
  if (needed > capacity_) {
    // The source may lie inside our own buffer; keep it alive until copied.
    char* buffer = new (std::nothrow) char[needed + growStep];
    if (!buffer) return E_OUTOFMEMORY;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    freeOwned();
    text_ = buffer;
    capacity_ = needed + growStep;
    return S_OK;
  }
  std::memmove(text_, text, length);
  text_[length] = '\0';
  return S_OK;
}

HRESULT tString::Assign(const tString& other, int growStep) {
  if (this == &other) return S_OK;
  if (!other.text_) {
    Clear();
    return S_OK;
  }
  return Assign(other.text_, std::strlen(other.text_), growStep);
}

void tString::Borrow(char* text) {
  freeOwned();
  text_ = text;
  capacity_ = 0;
}

void tString::Adopt(char* buffer) {
  freeOwned();
  text_ = buffer;
  capacity_ = buffer ? static_cast<int>(std::strlen(buffer)) + 1 : 0;
}

char* tString::Release() {
  if (text_ && !Owned() && FAILED(Grow(Length() + 1, true))) return nullptr;
  char* buffer = text_;
  text_ = nullptr;
  capacity_ = 0;
  return buffer;
}

void tString::Clear(bool freeBuffer) {
  if (freeBuffer) {
    freeOwned();
    text_ = nullptr;
    capacity_ = 0;
  } else if (text_) {
    text_[0] = '\0';
  }
}

int tString::Length() const { return text_ ? static_cast<int>(std::strlen(text_)) : 0; }

HRESULT tString::Format(const char* format, ...) {
  if (!text_ || capacity_ < 1) {
    if (FAILED(Grow(kFormatStartCapacity, false))) return E_OUTOFMEMORY;
  }
  for (;;) {
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(text_, capacity_, format, args);
    va_end(args);
    if (written < 0) return E_FAIL;
    if (written < capacity_) return S_OK;
    int capacity = capacity_;
    while (capacity <= written) capacity *= 2;
    if (FAILED(Grow(capacity, false))) return E_OUTOFMEMORY;
  }
}

HRESULT tString::Append(const char* text, size_t length, int growStep) {
  int current = Length();
  int needed = current + static_cast<int>(length) + 1;
  if (needed > capacity_) {
    // Doubling keeps long runs of appends (result rows, saved text) linear.
    int bytes = std::max(needed + growStep, capacity_ * 2);
    char* buffer = new (std::nothrow) char[bytes];
    if (!buffer) return E_OUTOFMEMORY;
    if (text_) std::memcpy(buffer, text_, current);
    std::memcpy(buffer + current, text, length);
    buffer[current + length] = '\0';
    freeOwned();
    text_ = buffer;
    capacity_ = bytes;
    return S_OK;
  }
  std::memmove(text_ + current, text, length);
  text_[current + length] = '\0';
  return S_OK;
}

HRESULT tString::Append(const char* text, int growStep) {
  if (!text) return E_POINTER;
  return Append(text, std::strlen(text), growStep);
}

HRESULT tString::Append(const tString& other, int growStep) {
  if (!other.text_) return S_OK;
  // Appending a string to itself: copy the length first, the bytes stay valid.
  return Append(other.text_, std::strlen(other.text_), growStep);
}

HRESULT tString::Append(char character, int growStep) { return Append(&character, 1, growStep); }

HRESULT tString::CopyStringSlice(const char* source, int start, int end) {
  if (!source) return E_POINTER;
  if (start > end) {
    DebugTrace("tString::CopyStringSlice encountered corrupted slice (Start>End)!\n");
    Clear();
    if (!text_) return Grow(1, false);
    return S_OK;
  }
  size_t length = 0;
  const char* from = source + start;
  while (static_cast<int>(length) < end - start && from[length]) ++length;
  return Assign(from, length, 1);
}

HRESULT tString::CutTail(int count) {
  if (!text_) return E_FAIL;
  int length = Length();
  if (count < 0 || count > length) return E_FAIL;
  text_[length - count] = '\0';
  return S_OK;
}

HRESULT tString::DeleteRange(int start, int count) {
  if (!text_) return E_FAIL;
  const int size = Owned() ? capacity_ : Length() + 1;
  if (start < 0 || count < 0 || start >= size || start + count >= size) return E_INVALIDARG;
  int length = Length();
  if (start >= length) return S_OK;
  count = std::min(count, length - start);
  std::memmove(text_ + start, text_ + start + count, length - start - count + 1);
  return S_OK;
}

int tString::Compare(const char* other) const {
  if (!text_ || !other) return (text_ ? 1 : 0) - (other ? 1 : 0);
  return strcasecmp(text_, other);
}

int tString::CompareExact(const char* other) const {
  if (!text_ || !other) return (text_ ? 1 : 0) - (other ? 1 : 0);
  return std::strcoll(text_, other);
}

int tString::ComparePrefix(const char* other, int count) const {
  if (!text_ || !other) return (text_ ? 1 : 0) - (other ? 1 : 0);
  return strncasecmp(text_, other, count);
}

int tString::CompareTrimmed(const char* other) const {
  auto bounds = [](const char* text, const char*& begin, int& length) {
    begin = text ? text : "";
    while (*begin && IsWhiteSpace(*begin)) ++begin;
    length = static_cast<int>(std::strlen(begin));
    while (length > 0 && IsWhiteSpace(begin[length - 1])) --length;
  };
  const char* a;
  const char* b;
  int lengthA, lengthB;
  bounds(text_, a, lengthA);
  bounds(other, b, lengthB);
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  for (int i = 0; i < lengthA; ++i) {
    char ua = Upper(a[i]), ub = Upper(b[i]);
    if (ua != ub) return static_cast<unsigned char>(ua) < static_cast<unsigned char>(ub) ? -1 : 1;
  }
  return 0;
}

int tString::FindNoCase(const char* text, int from) const {
  if (!text_ || !text || from < 0 || from > Length()) return kNone;
  if (!*text) return from;
  const char first = Upper(text[0]);
  for (const char* p = text_ + from; *p; ++p) {
    if (Upper(*p) != first) continue;
    int i = 1;
    while (text[i] && p[i] && Upper(p[i]) == Upper(text[i])) ++i;
    if (!text[i]) return static_cast<int>(p - text_);
    if (!p[i]) return kNone;
  }
  return kNone;
}

int tString::Find(const char* text, int from) const {
  if (!text_ || !text || from < 0 || from > Length()) return kNone;
  const char* hit = std::strstr(text_ + from, text);
  return hit ? static_cast<int>(hit - text_) : kNone;
}

int tString::FindChar(char character, int from) const {
  if (!text_ || from < 0 || from > Length()) return kNone;
  const char* hit = std::strchr(text_ + from, character);
  return hit && *hit ? static_cast<int>(hit - text_) : kNone;
}

int tString::FindLastChar(char character) const {
  if (!text_) return kNone;
  const char* hit = std::strrchr(text_, character);
  return hit && *hit ? static_cast<int>(hit - text_) : kNone;
}

int tString::AfterNthOccurrence(char character, int n) const {
  if (!text_ || n < 1) return kNone;
  const char wanted = Upper(character);
  for (const char* p = text_; *p; ++p)
    if (Upper(*p) == wanted && --n == 0) return static_cast<int>(p - text_) + 1;
  return kNone;
}

int tString::CountFields(char delimiter) const {
  if (!text_) return 0;
  int fields = 1;
  for (const char* p = text_; *p; ++p)
    if (*p == delimiter) ++fields;
  return fields;
}

HRESULT tString::FixFieldCount(char delimiter, int fields) {
  if (fields <= 0) return S_OK;
  int delimiters = 0;
  if (text_) {
    for (char* p = text_; *p; ++p) {
      if (*p == delimiter && ++delimiters == fields) {
        *p = '\0';
        return S_OK;
      }
    }
  }
  for (; delimiters < fields - 1; ++delimiters)
    if (FAILED(Append(delimiter, 40))) return E_OUTOFMEMORY;
  return S_OK;
}

void tString::CollapseDoubled(char character) {
  if (!text_) return;
  char* out = text_;
  for (const char* in = text_; *in; ++in)
    if (!(*in == character && out > text_ && out[-1] == character)) *out++ = *in;
  *out = '\0';
}

HRESULT tString::NextToken(char delimiter, int& position, tString& out) const {
  int length = Length();
  if (!text_ || position < 0 || position >= length) {
    out.Clear();
    return E_FAIL;
  }
  const char* begin = text_ + position;
  const char* end = std::strchr(begin, delimiter);
  size_t tokenLength = end ? static_cast<size_t>(end - begin) : std::strlen(begin);
  if (FAILED(CopyInto(out, begin, tokenLength))) return E_OUTOFMEMORY;
  position += static_cast<int>(tokenLength) + (end ? 1 : 0);
  return S_OK;
}

HRESULT tString::GetField(int index, char delimiter, tString& out) const {
  const char* begin = nullptr;
  size_t length = 0;
  if (FAILED(FindField(index, delimiter, begin, length))) {
    out.Clear();
    return E_FAIL;
  }
  return CopyInto(out, begin, length);
}

HRESULT FindFieldInText(const char* text, int index, char delimiter, const char*& begin, size_t& length) {
  if (index < 0) return E_FAIL;
  begin = text;
  for (int i = 0; i < index; ++i) {
    begin = std::strchr(begin, delimiter);
    if (!begin) return E_FAIL;
    ++begin;
  }
  const char* end = std::strchr(begin, delimiter);
  length = end ? static_cast<size_t>(end - begin) : std::strlen(begin);
  return S_OK;
}

HRESULT tString::FieldIndex(const char* name, char delimiter, bool prefix, int& index) const {
  if (!name) return E_POINTER;
  if (!text_) return E_FAIL;
  const size_t nameLength = std::strlen(name);
  const char* begin = text_;
  for (int i = 0;; ++i) {
    const char* end = std::strchr(begin, delimiter);
    size_t length = end ? static_cast<size_t>(end - begin) : std::strlen(begin);
    bool match = prefix ? length >= nameLength && strncasecmp(begin, name, nameLength) == 0
                        : length == nameLength && strncasecmp(begin, name, length) == 0;
    if (match) {
      index = i;
      return S_OK;
    }
    if (!end) return E_FAIL;
    begin = end + 1;
  }
}

void tString::Trim() {
  bool inner;
  Trim(inner);
}

void tString::Trim(bool& innerWhiteSpace) {
  innerWhiteSpace = false;
  if (!text_) return;
  char* begin = text_;
  while (*begin && IsWhiteSpace(*begin)) ++begin;
  size_t length = std::strlen(begin);
  while (length > 0 && IsWhiteSpace(begin[length - 1])) --length;
  for (size_t i = 0; i < length && !innerWhiteSpace; ++i) innerWhiteSpace = IsWhiteSpace(begin[i]);
  std::memmove(text_, begin, length);
  text_[length] = '\0';
}

void tString::RemoveAllWhiteSpace() {
  if (!text_) return;
  char* out = text_;
  for (const char* in = text_; *in; ++in)
    if (!IsWhiteSpace(*in)) *out++ = *in;
  *out = '\0';
}

void tString::UpperCase() {
  if (!text_) return;
  for (char* p = text_; *p; ++p) *p = Upper(*p);
}
