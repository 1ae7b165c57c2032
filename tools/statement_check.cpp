#include "tools/statement_check.h"

#include <cstdio>
#include <cwctype>

#include "platform/text_conversion.h"

namespace {
std::string UnencodableCharacter(const std::wstring& statement) {
  size_t position = 0;  // in characters, counted from 1
  for (size_t i = 0; i < statement.size(); ++i) {
    ++position;
    unsigned char byte;
    if (Windows1252FromWide(statement[i], byte)) continue;
    auto code = static_cast<unsigned long>(statement[i]);
    size_t units = 1;
    // A UTF-16 surrogate pair (wide text on Windows) is one character.
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < statement.size() && statement[i + 1] >= 0xDC00 &&
        statement[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned long>(statement[i + 1]) - 0xDC00);
      units = 2;
    }
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", code);
    return "'" + Utf8FromWide(statement.substr(i, units)) + "' (" + name + ") at character " +
           std::to_string(position) + " cannot be written in Windows-1252; nothing was run";
  }
  return "";
}

bool BracketsPair(const std::wstring& statement) {
  std::wstring lower = statement;
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  const size_t where = lower.find(L" where ");
  if (where == std::wstring::npos) return true;
  int depth = 0;
  bool quoted = false;
  for (size_t i = where; i < statement.size() && depth >= 0; ++i) {
    if (statement[i] == L'\'') quoted = !quoted;
    else if (!quoted) depth += statement[i] == L'(' ? 1 : statement[i] == L')' ? -1 : 0;
  }
  return depth == 0;
}
}  // namespace

std::string StatementRefusal(const std::wstring& statement) {
  if (std::string unencodable = UnencodableCharacter(statement); !unencodable.empty()) return unencodable;
  if (!BracketsPair(statement)) return "the brackets of the where clause do not pair; nothing was run";
  return "";
}
