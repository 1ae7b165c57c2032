#include "query/clause_text.h"
#include "query/query_engine.h"

HRESULT tSqlQueryEngine::parseAndExecuteDropStatement() {
  int drop = statement_.FindNoCase("drop ");
  int table = drop == tString::kNone ? tString::kNone : statement_.FindNoCase("table ", drop + 5);
  if (table == tString::kNone) return E_FAIL;
  if (FAILED(CopyTrimmedRest(statement_, table + 6, tableName_))) return E_OUTOFMEMORY;
  if (!database_) return E_FAIL;
  if (FindTable(database_, tableName_.c_str()) == table_.table) forgetTable();
  return DropTable(database_, tableName_.c_str());
}
