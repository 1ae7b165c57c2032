#include "query/query_engine.h"

// The sort statement gives a table its primary-key index, which is not built
// yet: only the statement's keywords are checked for now.
HRESULT tSqlQueryEngine::parseAndExecuteSortStatement() {
  int sort = statement_.FindNoCase("sort ");
  int table = sort == tString::kNone ? tString::kNone : statement_.FindNoCase("table ", sort + 5);
  int on = table == tString::kNone ? tString::kNone : statement_.FindNoCase("on ", table + 6);
  return on == tString::kNone ? E_FAIL : E_NOTIMPL;
}
