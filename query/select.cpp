#include <strings.h>

#include <cstdio>
#include <cstring>

#include "platform/trace.h"
#include "query/clause_text.h"
#include "query/query_engine.h"
#include "storage/zball.h"

namespace {
constexpr int kNone = tString::kNone;
constexpr int kRowBufferLimit = 5000;
constexpr int kRowBufferReserve = 2000;
}  // namespace

HRESULT tSqlQueryEngine::handleSelectStatement() {
  if (FAILED(openTable(tableName_))) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, unknown 'From' table (%s)\n", statement_.c_str(), tableName_.c_str());
    errorFlag_ = true;
    return E_FAIL;
  }
  const bool definition = columnList_.FindNoCase("System.TableDefinition") != kNone;
  if (definition || columnList_.FindNoCase("System.TableType") != kNone) {
    if (FAILED(results_->Append((definition ? table_.definition : table_.types)->value))) return E_OUTOFMEMORY;
    errorFlag_ = false;
    results_->Rewind();
    return S_OK;
  }
  if (where_.FindNoCase("System.RowNumber") != kNone) return selectByRowId();
  if (where_.FindNoCase("System.RowState") != kNone) return selectByRowState();
  if (where_.FindNoCase("System.ErrorState") != kNone) return selectByErrorState();
  if (tableName_.CompareTrimmed("zBall") == 0 && columnList_.CompareTrimmed("FullFileName") == 0) return selectMiscFile();
  if (std::strcmp(where_.c_str(), "0") == 0) {
    results_->Clear();
    return S_OK;
  }
  return selectMatchingRows();
}

HRESULT tSqlQueryEngine::selectByRowId() {
  if (!TextAfterFirst(where_, "=", rowId_)) return E_FAIL;
  tAtrribute* row = findRowById(rowId_);
  if (!row) {
    DebugTrace("tSqlQueryEngine::handleSelectStatement, select statement using System.RowNumber failed to find the row, possible problem???\n");
    return E_FAIL;
  }
  if (FAILED(BuildResultRow(row, nullptr))) {
    DebugTrace("tSqlQueryEngine::handleSelectStatement, select statement failed to add row to results!!\n");
    return E_FAIL;
  }
  results_->Rewind();
  return S_OK;
}

// Pseudo-conditions take the whole where clause and see Deleted rows too.
HRESULT tSqlQueryEngine::selectByRowState() {
  std::int32_t state;
  if (!TextAfterFirst(where_, "=", filterValue_) || !RowStateFromFilter(filterValue_, state)) return E_FAIL;
  table_.contents->BeginChildren();
  while (tAtrribute* row = table_.contents->NextChild())
    if ((state == kRowAny || row->state == state) && FAILED(BuildResultRow(row, nullptr))) return E_FAIL;
  results_->Rewind();
  return S_OK;
}

HRESULT tSqlQueryEngine::selectByErrorState() {
  const bool wantEqual = where_.Find("!=") == kNone;
  if (!TextAfterFirst(where_, wantEqual ? "=" : "!=", filterValue_)) return E_FAIL;
  const std::int32_t errorState = ReadSignedInt(filterValue_.c_str());
  table_.contents->BeginChildren();
  while (tAtrribute* row = table_.contents->NextChild())
    if ((row->fieldCount == errorState) == wantEqual && FAILED(BuildResultRow(row, nullptr))) return E_FAIL;
  results_->Rewind();
  return S_OK;
}

// «select FullFileName from zBall where name = 'file'»: the path of the file
// extracted from the archive. A failed extraction has logged its message and
// gives no row; the statement still succeeds.
HRESULT tSqlQueryEngine::selectMiscFile() {
  int equals = where_.FindChar('=');
  int firstQuote = equals == kNone ? kNone : where_.FindChar('\'', equals);
  if (firstQuote == kNone) return E_FAIL;
  if (FAILED(CopySlice(where_, firstQuote + 1, where_.FindLastChar('\''), filterValue_))) return E_OUTOFMEMORY;
  filterValue_.Trim();
  if (SUCCEEDED(tZBall(source_->Path().c_str()).UnzipMiscToTemp(filterValue_.c_str(), rowBuffer_)) &&
      FAILED(results_->Append(rowBuffer_)))
    return E_OUTOFMEMORY;
  results_->Rewind();
  return S_OK;
}

HRESULT tSqlQueryEngine::selectMatchingRows() {
  equations_.SetDefinition(table_.definition->value.c_str());
  equations_.SetTypes(table_.types->value.c_str());
  if (!noWhere_ && !equations_.setEquation(where_.c_str())) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, illegal where clause (%s)\n", statement_.c_str(), where_.c_str());
    errorFlag_ = true;
    return E_FAIL;
  }
  equationSet_ = true;
  errorFlag_ = false;
  const bool includeDeleted = columnList_.FindNoCase("System.RowState") != kNone;
  const bool useIndex = BeginRowWalk();
  bool stop = false;
  while (!stop) {
    currentRow_ = NextMatchingRow(includeDeleted, useIndex);
    if (!currentRow_) break;
    BuildResultRow(currentRow_, &stop);  // a row that fails is left out; the walk goes on
  }
  results_->Rewind();
  if (orderBy_) orderResults();
  if (errorFlag_) return E_FAIL;
  return results_->Count() == 0 ? S_FALSE : S_OK;
}

HRESULT tSqlQueryEngine::BuildResultRow(tAtrribute* row, bool* stop) {
  if (rowBuffer_.Capacity() > kRowBufferLimit) {
    rowBuffer_.Clear(true);
    rowBuffer_.Reserve(kRowBufferReserve, false);
  } else {
    rowBuffer_.Clear();
  }
  const int length = columnList_.Length();
  if (length == 0) return E_FAIL;
  for (int position = 0; position < length;) {
    if (FAILED(columnList_.NextToken(',', position, token_))) return E_OUTOFMEMORY;
    HRESULT hr = appendColumn(row, token_);
    if (FAILED(hr)) return hr;
  }
  rowBuffer_.CutTail(1);  // the delimiter behind the last column
  if (distinct_ && results_->ContainsEquivalent(rowBuffer_)) return S_OK;
  if (FAILED(results_->Append(rowBuffer_))) {
    errorFlag_ = true;
    return E_FAIL;
  }
  // The top count is applied while rows are collected, before any ordering.
  if (topCount_ >= 1 && stop && results_->Count() >= topCount_) *stop = true;
  return S_OK;
}

HRESULT tSqlQueryEngine::appendColumn(tAtrribute* row, const tString& token) {
  const char* name = token.c_str();
  const tString* source = &row->value;
  if (*name == '$') {
    // Previous values exist only on Edited rows; other rows are left out silently.
    if (row->state != kRowEdited) return E_FAIL;
    source = &row->previousValue;
    ++name;
  }
  HRESULT hr;
  if (std::strcmp(name, "*") == 0) {
    hr = rowBuffer_.Append(*source);
  } else if (strcasecmp(name, "System.RowNumber") == 0) {
    hr = rowBuffer_.Append(row->name);
  } else if (strcasecmp(name, "System.RowState") == 0) {
    hr = rowBuffer_.Append(RowStateText(row->state));
  } else if (strcasecmp(name, "System.ErrorState") == 0) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", row->fieldCount);
    hr = rowBuffer_.Append(number);
  } else {
    int index = 0;
    if (FAILED(table_.definition->value.FieldIndex(name, '|', false, index)) ||
        FAILED(source->GetField(index, '|', field_))) {
      DebugTrace("tSqlQueryEngine: Query (%s) failed, unknown column token (%s) in query\n", statement_.c_str(),
                 token.c_str());
      errorFlag_ = true;
      return E_FAIL;
    }
    hr = rowBuffer_.Append(field_);
  }
  return SUCCEEDED(hr) ? rowBuffer_.Append(delimiter_) : hr;
}

// Orders by the order-by column: its place among the selected columns (or in the
// table for "*"), as numbers unless the column's type begins with "St".
void tSqlQueryEngine::orderResults() {
  const tString& definition = table_.definition->value;
  int definitionIndex = 0;
  const bool inDefinition = SUCCEEDED(definition.FieldIndex(orderByColumn_.c_str(), '|', false, definitionIndex));
  int fieldIndex = 0;
  if (std::strcmp(columnList_.c_str(), "*") == 0)
    fieldIndex = inDefinition ? definitionIndex : definition.CountFields('|');
  else if (FAILED(columnList_.FieldIndex(orderByColumn_.c_str(), ',', false, fieldIndex)))
    fieldIndex = columnList_.CountFields(',');
  const bool typed = inDefinition && SUCCEEDED(table_.types->value.GetField(definitionIndex, '|', field_));
  const bool numeric = strncasecmp(typed ? field_.c_str() : "String", "St", 2) != 0;
  SortResults(*results_, fieldIndex, numeric);
  results_->Rewind();
}
