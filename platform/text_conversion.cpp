#include "platform/text_conversion.h"


namespace {
// The code points of the bytes 0x80 to 0x9F; the rest of the code page equals
// Latin-1. The undefined 0x81, 0x8D, 0x8F, 0x90 and 0x9D keep their own value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendWide(std::wstring& out, char32_t c) {
  if (kWideIsUtf16 && c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (c >> 10));
    out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

// One UTF-8 sequence at text[at]; moves `at` behind it. Overlong forms,
// surrogates and truncated sequences give the replacement for their first byte.
char32_t NextUtf8(const std::string& text, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 1) return text[at++];
  char32_t c = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  bool valid = length > 0 && at + length <= text.size();
  for (int i = 1; valid && i < length; ++i) {
    valid = (byte(at + i) & 0xC0) == 0x80;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (valid) valid = c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
  at += valid ? length : 1;
  return valid ? c : kReplacement;
}

// One code point of wide text at text[at]; moves `at` behind it.
char32_t NextWide(const std::wstring& text, size_t& at) {
  const char32_t c = static_cast<char32_t>(text[at++]);
  if (!kWideIsUtf16 || c < 0xD800 || c > 0xDFFF) return c;
  if (c < 0xDC00 && at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[at++]) - 0xDC00);
  return kReplacement;
}
}  // namespace

wchar_t WideFromWindows1252(unsigned char byte) {
  return static_cast<wchar_t>(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte);
}

bool Windows1252FromWide(wchar_t wide, unsigned char& byte) {
  const auto c = static_cast<char32_t>(wide);
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    byte = static_cast<unsigned char>(c);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) {
      byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string NarrowFromWide(const wchar_t* text) {
  std::string result;
  if (!text) return result;
  for (const wchar_t* p = text; *p; ++p) {
    unsigned char byte;
    result += Windows1252FromWide(*p, byte) ? static_cast<char>(byte) : '?';
  }
  return result;
}

std::wstring WideFromNarrow(const char* text) {
  std::wstring result;
  if (!text) return result;
  for (const char* p = text; *p; ++p) result += WideFromWindows1252(static_cast<unsigned char>(*p));
  return result;
}

std::string Utf8FromWide(const std::wstring& text) {
  std::string result;
  for (size_t at = 0; at < text.size();) AppendUtf8(result, NextWide(text, at));
  return result;
}

std::wstring WideFromUtf8(const std::string& text) {
  std::wstring result;
  for (size_t at = 0; at < text.size();) AppendWide(result, NextUtf8(text, at));
  return result;
}

std::string Utf8FromNarrow(const char* text) { return Utf8FromWide(WideFromNarrow(text)); }

std::string NarrowFromUtf8(const std::string& text) { return NarrowFromWide(WideFromUtf8(text).c_str()); }
