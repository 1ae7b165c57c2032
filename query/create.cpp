#include "query/clause_text.h"
#include "query/query_engine.h"

namespace {
constexpr int kNone = tString::kNone;

// One "name type" entry of the column list; an entry without a name adds no column.
HRESULT AddColumn(const tString& statement, int from, int to, tString& names, tString& types, bool& first) {
  tString entry, name, type;
  if (FAILED(CopySlice(statement, from, to, entry))) return E_OUTOFMEMORY;
  entry.Trim();
  if (entry.IsEmpty()) return S_OK;
  int blank = entry.FindChar(' ');
  if (FAILED(CopySlice(entry, 0, blank == kNone ? entry.Length() : blank, name)) ||
      (blank != kNone && FAILED(CopyTrimmedRest(entry, blank + 1, type))))
    return E_OUTOFMEMORY;
  if (!first && (FAILED(names.Append('|')) || FAILED(types.Append('|')))) return E_OUTOFMEMORY;
  first = false;
  return FAILED(names.Append(name)) || FAILED(types.Append(type)) ? E_OUTOFMEMORY : S_OK;
}
}  // namespace

HRESULT tSqlQueryEngine::parseAndExecuteCreateStatement() {
  int create = statement_.FindNoCase("create ");
  int table = create == kNone ? kNone : statement_.FindNoCase("table ", create + 7);
  int open = table == kNone ? kNone : statement_.FindChar('(', table + 6);
  int close = statement_.FindLastChar(')');
  if (open == kNone || close == kNone || close < open) return E_FAIL;
  // The character just before "(" is never part of the name: a blank is expected there.
  if (FAILED(CopySlice(statement_, table + 6, open - 1, tableName_))) return E_OUTOFMEMORY;
  tableName_.Trim();

  // Entries end at commas outside brackets, so list(x,y) and listQuery(...) types stay whole;
  // the last character of the list always belongs to the last entry.
  tString names(""), types("");
  bool first = true;
  const char* text = statement_.c_str();
  int depth = 0, entryStart = open + 1;
  for (int i = open + 1; i < close; ++i) {
    if (text[i] == '(') ++depth;
    else if (text[i] == ')') --depth;
    HRESULT hr = S_OK;
    if (i == close - 1) {
      hr = AddColumn(statement_, entryStart, close, names, types, first);
    } else if (text[i] == ',' && depth == 0) {
      hr = AddColumn(statement_, entryStart, i, names, types, first);
      entryStart = i + 1;
    }
    if (FAILED(hr)) return hr;
  }
  return CreateTable(database_, tableName_.c_str(), names.c_str(), types.c_str());
}
