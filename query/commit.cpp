#include "query/query_engine.h"

HRESULT tSqlQueryEngine::Commit() {
  tAtrribute* root = source_->Root();
  if (!root) return E_FAIL;
  return SUCCEEDED(CommitDatabase(root)) ? S_OK : E_FAIL;
}

// Opens the table afresh rather than through the engine's cached table.
HRESULT tSqlQueryEngine::CommitTable(const char* tableName) {
  if (!tableName) return E_POINTER;
  tTable table;
  HRESULT hr = OpenTable(source_->Root(), tableName, table);
  return FAILED(hr) ? hr : ::CommitTable(table);
}
