// Cutting the clauses of select, update and delete statements. Keywords are
// found by case-insensitive search, each with its trailing blank, so clause
// boundaries fall at the first occurrence of a keyword, not at a token boundary.
#include <strings.h>

#include <cctype>
#include <climits>
#include <cstring>

#include "platform/trace.h"
#include "query/clause_text.h"
#include "query/query_engine.h"

namespace {
constexpr int kNone = tString::kNone;

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Cuts " suggestedRowId <id>" off the end of a clause.
HRESULT SplitSuggestedRowId(tString& clause, tString& rowId) {
  constexpr char kKeyword[] = " suggestedRowId ";
  int found = clause.FindNoCase(kKeyword);
  if (found == kNone) return rowId.Assign("", 0, 8);
  HRESULT hr = CopyTrimmedRest(clause, found + static_cast<int>(sizeof kKeyword - 1), rowId);
  clause.CutTail(clause.Length() - found);
  return hr;
}
}  // namespace

HRESULT tSqlQueryEngine::parseSelectStatement() {
  int select = statement_.FindNoCase("select ");
  if (select == kNone) return E_FAIL;
  int position = select + 7;
  const char* text = statement_.c_str();

  topCount_ = 0;
  if (strncasecmp(text + position, "top ", 4) == 0) {
    position += 4;
    if (IsDigit(text[position])) {
      for (; IsDigit(text[position]); ++position)
        topCount_ = topCount_ > (INT_MAX - 9) / 10 ? INT_MAX : topCount_ * 10 + (text[position] - '0');
    } else {
      topCount_ = 1;
    }
  }
  int distinct = statement_.FindNoCase("distinct ", position);
  distinct_ = distinct != kNone;
  if (distinct_) position = distinct + 9;

  int from = statement_.FindNoCase("from ", position);
  if (from == kNone) return E_FAIL;
  // The character just before "from" is dropped.
  if (FAILED(CopySlice(statement_, position, from - 1, columnList_)) || FAILED(normaliseColumnList()))
    return E_OUTOFMEMORY;

  int orderBy = statement_.FindNoCase(" order by ", from);
  orderBy_ = orderBy != kNone;
  if (orderBy_) {
    if (FAILED(CopyTrimmedRest(statement_, orderBy + 10, orderByColumn_))) return E_OUTOFMEMORY;
    statement_.CutTail(statement_.Length() - orderBy);
  }
  // Searched in the text before the order by, so a where behind it is no where clause.
  if (FAILED(cutTableAndWhere(from, statement_.FindNoCase("where ", from)))) return E_OUTOFMEMORY;
  return columnList_.IsEmpty() ? E_FAIL : S_OK;
}

// The table name behind "from " and the where clause behind "where ", or "1" without one.
HRESULT tSqlQueryEngine::cutTableAndWhere(int from, int where) {
  noWhere_ = where == kNone;
  HRESULT hr = noWhere_ ? CopySlice(statement_, from + 5, statement_.Length(), tableName_)
                        : CopySlice(statement_, from + 5, where - 1, tableName_);
  if (SUCCEEDED(hr)) hr = noWhere_ ? where_.Assign("1") : CopySlice(statement_, where + 6, statement_.Length(), where_);
  where_.Trim();
  tableName_.Trim();
  return hr;
}

// "a , b" becomes "a,b": every comma-separated piece trimmed.
HRESULT tSqlQueryEngine::normaliseColumnList() {
  bool innerWhiteSpace = false;
  columnList_.Trim(innerWhiteSpace);
  if (!innerWhiteSpace) return S_OK;
  normalisedList_.Assign("", 0, 8);
  for (int position = 0;;) {
    int comma = columnList_.FindChar(',', position);
    if (FAILED(CopySlice(columnList_, position, comma == kNone ? columnList_.Length() : comma, token_)))
      return E_OUTOFMEMORY;
    token_.Trim();
    if (FAILED(normalisedList_.Append(token_))) return E_OUTOFMEMORY;
    if (comma == kNone) break;
    if (FAILED(normalisedList_.Append(','))) return E_OUTOFMEMORY;
    position = comma + 1;
  }
  std::swap(columnList_, normalisedList_);
  return S_OK;
}

HRESULT tSqlQueryEngine::parseUpdateStatement() {
  const char* text = statement_.c_str();
  if (strncasecmp(text, "update ", 7) != 0 && strncasecmp(text, "updat2 ", 7) != 0 &&
      strncasecmp(text, "updat3 ", 7) != 0) {
    DebugTrace("tSqlQueryEngine: Illegal update statement, missing 'update' clause (%s)\n", text);
    return E_FAIL;
  }
  int set = statement_.FindNoCase("set ");
  if (set == kNone) {
    DebugTrace("tSqlQueryEngine: Illegal update statement, missing 'set' clause (%s)\n", text);
    return E_FAIL;
  }
  // The last where counts, so that a value may hold "where " when a real where clause follows.
  int where = kNone;
  for (int found = statement_.FindNoCase("where "); found != kNone; found = statement_.FindNoCase("where ", found + 1))
    where = found;

  if (FAILED(CopySlice(statement_, 7, set - 1, updateTableName_))) return E_OUTOFMEMORY;
  updateTableName_.Trim();
  if (where != kNone) {
    if (FAILED(CopySlice(statement_, set + 4, where - 1, setClause_)) || FAILED(CopyTrimmedRest(statement_, where + 6, where_)))
      return E_OUTOFMEMORY;
    setClause_.Trim();
    return SplitSuggestedRowId(where_, suggestedRowId_);
  }
  if (FAILED(where_.Assign("0")) || FAILED(CopySlice(statement_, set + 4, statement_.Length(), setClause_)))
    return E_OUTOFMEMORY;
  return SplitSuggestedRowId(setClause_, suggestedRowId_);
}

HRESULT tSqlQueryEngine::parseDeleteStatement() {
  // Whatever stands between "delete" and "from" (the collections write a star) is not used.
  columnList_.Clear();
  const char* text = statement_.c_str();
  if (statement_.FindNoCase("delete ") == kNone) {
    DebugTrace("tSqlQueryEngine: Illegal delete statement, missing delete clause (%s)\n", text);
    return E_FAIL;
  }
  int from = statement_.FindNoCase("from ");
  if (from == kNone) {
    DebugTrace("tSqlQueryEngine: Illegal delete statement, missing 'from' clause (%s)\n", text);
    return E_FAIL;
  }
  return FAILED(cutTableAndWhere(from, statement_.FindNoCase("where "))) ? E_OUTOFMEMORY : S_OK;
}
