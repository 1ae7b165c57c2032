#include <cstring>

#include "platform/trace.h"
#include "query/query_engine.h"

namespace {
// Without a parsed where clause, the clause is read against the row pseudo-columns.
constexpr const char* kPseudoColumns = "System.RowNumber|System.RowState|System.TableDefinition|System.TableType";
constexpr const char* kPseudoTypes = "String|String|String|String";
}  // namespace

HRESULT tSqlQueryEngine::GetPrimaryKeyValueInWhereEquation(tString& keyValue) {
  keyValue.Clear();
  tHash* index = table_.contents ? table_.contents->index.get() : nullptr;
  if (!index || index->KeyColumns().IsEmpty()) return E_FAIL;
  if (where_.IsEmpty() || std::strcmp(where_.c_str(), "1") == 0 || std::strcmp(where_.c_str(), "0") == 0)
    return E_NOTIMPL;
  const tString& keyColumns = index->KeyColumns();
  for (int position = 0, length = keyColumns.Length(); position < length;) {
    if (HRESULT hr = keyColumns.NextToken(',', position, keyColumn_); FAILED(hr)) return hr;
    if (!equationSet_) {
      equations_.SetDefinition(kPseudoColumns);
      equations_.SetTypes(kPseudoTypes);
      if (!equations_.setEquation(where_.c_str())) {
        DebugTrace("tSqlQueryEngine: GetPrimaryKeyValueInWhereEquation failed to setEquation for query (%s)\n",
                   statement_.c_str());
        continue;
      }
      equationSet_ = true;
    }
    // A pattern matches rows under many keys.
    if (equations_.HasWildcard()) return E_NOTIMPL;
    for (int i = 0; i < equations_.TermCount(); ++i) {
      const tSqlEquationEngine::ComparisonTerm* term = equations_.TermAt(i);
      if (term->op == tSqlEquationEngine::OperatorCode::Equal && term->columnName.CompareTrimmed(keyColumn_.c_str()) == 0)
        return keyValue.Assign(term->value);
    }
  }
  DebugTrace("tSqlQueryEngine: GetPrimaryKeyValueInWhereEquation: Speed issues? Hash setup on table, but primary key "
             "was not included in query (%s)\n",
             statement_.c_str());
  return E_UNEXPECTED;
}
