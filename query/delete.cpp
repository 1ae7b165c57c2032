#include "platform/trace.h"
#include "query/clause_text.h"
#include "query/query_engine.h"

namespace {
constexpr int kNone = tString::kNone;
}  // namespace

// Deleted rows stay in the tree, hidden from ordinary selects, until commit;
// only the System.RowState form removes rows at once.
HRESULT tSqlQueryEngine::handleDeleteStatement() {
  if (FAILED(openTable(tableName_))) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, unknown table (%s)\n", statement_.c_str(), tableName_.c_str());
    errorFlag_ = true;
    return E_FAIL;
  }
  equations_.SetDefinition(table_.definition->value.c_str());
  equations_.SetTypes(table_.types->value.c_str());
  if (where_.FindNoCase("System.RowNumber") != kNone) {
    if (!TextAfterFirst(where_, "=", rowId_)) return E_FAIL;
    tAtrribute* row = findRowById(rowId_);
    if (!row) {
      DebugTrace("tSqlQueryEngine::handleDeleteStatement, delete statement using System.RowNumber failed to find the row to delete!!!!, Why???\n");
      return E_FAIL;
    }
    MarkRowDeleted(table_, row);
    return S_OK;
  }
  if (where_.FindNoCase("System.RowState") != kNone) return purgeRowsByState();
  if (where_.FindNoCase("System.ErrorState") != kNone) return E_NOTIMPL;

  if (!noWhere_ && !equations_.setEquation(where_.c_str())) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, illegal where clause (%s)\n", statement_.c_str(), where_.c_str());
    errorFlag_ = true;
    return E_FAIL;
  }
  equationSet_ = true;
  errorFlag_ = false;
  const bool useIndex = BeginRowWalk();
  while (tAtrribute* row = NextMatchingRow(false, useIndex)) MarkRowDeleted(table_, row);
  return S_OK;
}

HRESULT tSqlQueryEngine::purgeRowsByState() {
  std::int32_t state;
  if (!TextAfterFirst(where_, "=", filterValue_) || !RowStateFromFilter(filterValue_, state)) return E_FAIL;
  table_.table->state = kTableModified;
  currentRow_ = nullptr;
  return PurgeRows(table_, state);
}
