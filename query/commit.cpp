#include "query/query_engine.h"

// Commits every table that carries the modified mark. Opening a table by name
// does not move the root's walk cursor, so the walk goes on undisturbed.
HRESULT tSqlQueryEngine::Commit() {
  tAtrribute* root = source_->Root();
  if (!root) return E_FAIL;
  HRESULT result = S_OK;
  root->BeginChildren();
  while (tAtrribute* node = root->NextChild())
    if (node->name.Equals("Table") && node->state == kTableModified && FAILED(CommitTable(node->value.c_str())))
      result = E_FAIL;
  return result;
}

// Opens the table afresh rather than through the engine's cached table.
HRESULT tSqlQueryEngine::CommitTable(const char* tableName) {
  if (!tableName) return E_POINTER;
  tTable table;
  HRESULT hr = OpenTable(source_->Root(), tableName, table);
  return FAILED(hr) ? hr : ::CommitTable(table);
}
