#include <cstring>
#include <new>
#include <utility>

#include "platform/trace.h"
#include "query/clause_text.h"
#include "query/query_engine.h"
#include "store/row_keys.h"

namespace {
constexpr int kNone = tString::kNone;

// A file line ends at a line feed (and sheds a carriage return), so a value or
// row id holding either would come back as several rows.
bool HoldsLineBreak(const tString& text) { return std::strpbrk(text.c_str(), "\r\n") != nullptr; }

HRESULT RefuseLineBreak(const tString& statement) {
  DebugTrace("tSqlQueryEngine: Query (%s) failed, a value holds a line break, which the file cannot store\n",
             statement.c_str());
  return E_INVALIDARG;
}
}  // namespace

// An update changes the rows its where clause matches and inserts one when none
// matches; "updat2" never inserts and "updat3" never changes a row.
HRESULT tSqlQueryEngine::handleUpdateStatement() {
  if (FAILED(openTable(updateTableName_))) return E_FAIL;
  if (!TextAfterFirst(setClause_, "=", rowValue_)) return E_FAIL;
  noWhere_ = std::strcmp(where_.c_str(), "1") == 0;
  const bool wholeRow = setClause_.c_str()[0] == '*';
  const bool definition = setClause_.FindNoCase("System.TableDefinition") != kNone;
  const bool types = setClause_.FindNoCase("System.TableType") != kNone;
  if (HoldsLineBreak(suggestedRowId_) || valuesHoldLineBreak(wholeRow || definition || types))
    return RefuseLineBreak(statement_);
  if (where_.FindNoCase("System.RowNumber") != kNone) return updateByRowId(wholeRow);

  if (definition || types) {
    tAtrribute* section = definition ? table_.definition : table_.types;
    if (FAILED(section->value.Assign(rowValue_))) return E_OUTOFMEMORY;
    section->state = kRowEdited;
    // Recounted at once, so that the width of rows written from now on follows the new list.
    section->fieldCount = 0;
    section->FieldCount();
    errorFlag_ = false;
    return S_OK;
  }

  const bool whereZero = std::strcmp(where_.c_str(), "0") == 0;
  if (whereZero) {
    if (wholeRow) return insertWholeRow(suggestedRowId_);
    noWhere_ = true;
  }
  equations_.SetDefinition(table_.definition->value.c_str());
  equations_.SetTypes(table_.types->value.c_str());
  if (FAILED(parseWhereClause())) return E_FAIL;

  matchedRows_.clear();
  if (!whereZero && !where_.Equals("False")) {
    // The matches are gathered before any is changed: an edited key enters its
    // row anew at the end of the index chain that the walk is following.
    const bool useIndex = BeginRowWalk();
    try {
      while (tAtrribute* row = NextMatchingRow(false, useIndex)) matchedRows_.push_back(row);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (!matchedRows_.empty() && changeSuppressed_) return S_OK;
    for (tAtrribute* row : matchedRows_) {
      currentRow_ = row;
      if (!wholeRow) {
        ApplySetClause();  // failures are logged per row and do not stop the walk
      } else if (HRESULT hr = EditRow(table_, row, rowValue_.c_str()); FAILED(hr)) {
        return hr;
      }
    }
  }
  if (!matchedRows_.empty() || insertSuppressed_) return S_OK;
  return wholeRow ? insertWholeRow(suggestedRowId_) : insertAssignedRow();
}

// «where System.RowNumber = id»: only the whole-row form; a missing row is inserted under that id.
HRESULT tSqlQueryEngine::updateByRowId(bool wholeRow) {
  if (!TextAfterFirst(where_, "=", rowId_)) return E_FAIL;
  if (HoldsLineBreak(rowId_)) return RefuseLineBreak(statement_);
  tAtrribute* row = findRowById(rowId_);
  if (!wholeRow) {
    DebugTrace("tSqlQueryEngine::handleUpdateStatement, illegal statement using System.RowNumber and 'Set' option failed. Need to fix this code eventually!\n");
    return E_FAIL;
  }
  if (row) return changeSuppressed_ ? S_OK : EditRow(table_, row, rowValue_.c_str());
  return insertSuppressed_ ? S_OK : insertWholeRow(rowId_);
}

// AddRow takes the id once and clears it; an empty id gets a new one.
HRESULT tSqlQueryEngine::insertWholeRow(tString& rowId) {
  return AddRow(table_, rowId, rowValue_.c_str()) ? S_OK : E_OUTOFMEMORY;
}

// A row of empty cells, then the assignments; it stays New whatever they did.
// AddRow enters the row in the key index under its empty cells and the
// assignments move its keys like any edit, so the index agrees with the value
// even when an assignment fails.
HRESULT tSqlQueryEngine::insertAssignedRow() {
  rowValue_.Assign("", 0, 8);
  for (int column = 1; column < table_.ColumnCount(); ++column)
    if (FAILED(rowValue_.Append('|'))) return E_OUTOFMEMORY;
  currentRow_ = AddRow(table_, suggestedRowId_, rowValue_.c_str());
  if (!currentRow_) return E_OUTOFMEMORY;
  ApplySetClause();
  currentRow_->state = kRowNew;
  return S_OK;
}

// The assignment list is applied all or nothing: the cells are written into a
// copy of the row value, which replaces the row value only when every
// assignment succeeded, so state, previous value and table mark always agree
// with the value.
HRESULT tSqlQueryEngine::ApplySetClause() {
  if (!currentRow_) return S_OK;
  if (FAILED(editedValue_.Assign(currentRow_->value))) return E_OUTOFMEMORY;
  const char* text = setClause_.c_str();
  for (int position = 0, length = setClause_.Length(); position < length;) {
    // A trailing comma may be followed by blanks: without a where clause the set
    // clause keeps them.
    while (position < length && IsWhiteSpace(text[position])) ++position;
    if (position == length) break;
    HRESULT hr = assignCell(position, length);
    if (FAILED(hr)) return hr;
  }
  // A cell holding "|" became several: the row keeps the table's width all the same.
  if (FAILED(ForceRowWidth(editedValue_, table_.ColumnCount())) ||
      FAILED(currentRow_->previousValue.Assign(currentRow_->value)))
    return E_OUTOFMEMORY;
  std::swap(currentRow_->value, editedValue_);
  currentRow_->state = kRowEdited;
  table_.table->state = kTableModified;
  UpdateRowKeys(table_, currentRow_);
  return S_OK;
}

bool tSqlQueryEngine::valuesHoldLineBreak(bool wholeValue) {
  if (wholeValue) return HoldsLineBreak(rowValue_);
  const char* text = setClause_.c_str();
  for (int position = 0, length = setClause_.Length(); position < length;) {
    while (position < length && IsWhiteSpace(text[position])) ++position;
    if (position == length) break;
    if (readAssignment(position, length) != S_OK) return false;  // reported when the clause is applied
    if (HoldsLineBreak(cellValue_)) return true;
  }
  return false;
}

// Reads one «column = value» of the list into the column name and the cell
// value, from `position` up to the comma that ends it, behind which `position`
// is left. Inside single quotes a comma is ordinary and two quotes stand for one.
// S_FALSE when no "=" follows.
HRESULT tSqlQueryEngine::readAssignment(int& position, int length) {
  const char* text = setClause_.c_str();
  int equals = setClause_.FindChar('=', position);
  if (equals == kNone) return S_FALSE;
  if (FAILED(CopySlice(setClause_, position, equals, columnName_))) return E_OUTOFMEMORY;
  columnName_.Trim();

  int end = equals + 1, quotes = 0;
  for (; end < length; ++end) {
    if (text[end] == '\'') {
      if (quotes > 0 && text[end + 1] == '\'') ++end;
      else ++quotes;
    } else if (text[end] == ',' && quotes % 2 == 0) {
      break;
    }
  }
  int firstQuote = equals + 1, lastQuote = end - 1;
  while (firstQuote < end && text[firstQuote] != '\'') ++firstQuote;
  while (lastQuote > firstQuote && text[lastQuote] != '\'') --lastQuote;
  HRESULT hr = firstQuote == end ? CopySlice(setClause_, equals + 1, end, cellValue_)
                                 : CopySlice(setClause_, firstQuote + 1, lastQuote, cellValue_);
  if (FAILED(hr)) return E_OUTOFMEMORY;
  cellValue_.CollapseDoubled('\'');
  cellValue_.Trim();
  position = end + 1;
  return S_OK;
}

// One «column = value» of the list, written into the edited copy of the row.
HRESULT tSqlQueryEngine::assignCell(int& position, int length) {
  const HRESULT hr = readAssignment(position, length);
  if (hr == S_FALSE) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, set statement not properly formed\n", statement_.c_str());
    return E_FAIL;
  }
  if (FAILED(hr)) return hr;

  int column = 0;
  if (FAILED(table_.definition->value.FieldIndex(columnName_.c_str(), '|', false, column))) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, ColumnName (%s) in set statement not defined in table\n",
               statement_.c_str(), columnName_.c_str());
    return E_FAIL;
  }
  int start = column == 0 ? 0 : editedValue_.AfterNthOccurrence('|', column);
  if (start == kNone) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, ColumnName (%s) in set statement not in row contents\n",
               statement_.c_str(), columnName_.c_str());
    return E_FAIL;
  }
  // The cell goes in as it is: a "|" inside it makes two cells.
  int fieldEnd = editedValue_.FindChar('|', start);
  if (FAILED(CopySlice(editedValue_, 0, start, editScratch_)) || FAILED(editScratch_.Append(cellValue_)) ||
      (fieldEnd != kNone && FAILED(editScratch_.Append(editedValue_.c_str() + fieldEnd))))
    return E_OUTOFMEMORY;
  std::swap(editedValue_, editScratch_);
  return S_OK;
}
