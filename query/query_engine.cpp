#include "query/query_engine.h"

#include "platform/trace.h"
#include "query/clause_text.h"
#include "storage/default_source.h"

namespace {
constexpr int kTextReserve = 2000;
constexpr int kRowIdReserve = 100;

bool HasChild(const tAtrribute* parent, const tAtrribute* child) {
  return parent->children && parent->children->FindFirst([child](tAtrribute* node) { return node == child; });
}
}  // namespace

tSqlQueryEngine::tSqlQueryEngine(tConfigSource* source)
    : results_(&ownResults_) {
  BindSource(source);
  for (tString* text : {&statement_, &columnList_, &tableName_, &where_, &updateTableName_, &setClause_, &firstWord_,
                        &normalisedList_, &rowBuffer_})
    text->Reserve(kTextReserve, false);
  suggestedRowId_.Reserve(kRowIdReserve, false);
  rowId_.Reserve(kRowIdReserve, false);
}

void tSqlQueryEngine::BindSource(tConfigSource* source) {
  defaultSource_ = source ? nullptr : AcquireDefaultConfigSource();
  source_ = source ? source : defaultSource_.get();
}

void tSqlQueryEngine::AttachSource(tConfigSource* source) {
  BindSource(source);
  statement_.Clear();
  delimiter_ = '|';
  database_ = nullptr;
  forgetTable();
  currentRow_ = nullptr;
  errorFlag_ = false;
  noWhere_ = false;
}

HRESULT tSqlQueryEngine::Query(const char* statement, ResultSet* results, char delimiter) {
  if (!statement) return E_POINTER;
  if (!*statement) return E_INVALIDARG;
  errorFlag_ = false;
  // A zero byte cannot separate cells inside a text.
  delimiter_ = delimiter ? delimiter : '|';
  tAtrribute* root = source_->Root();
  if (!root) {
    database_ = nullptr;
    DebugTrace("tSqlQueryEngine: Query (%s) failed, database not loaded properly\n", statement);
    return E_FAIL;
  }
  if (database_ && database_ != root) forgetTable();
  database_ = root;
  currentRow_ = nullptr;
  results_ = results ? results : &ownResults_;
  results_->Clear();
  HRESULT hr = ParseStatement(statement);
  if (hr != S_OK) return hr;
  return ExecuteStatement();
}

HRESULT tSqlQueryEngine::ParseStatement(const char* statement) {
  if (FAILED(statement_.Assign(statement))) return E_OUTOFMEMORY;
  kind_ = StatementKind::None;
  equationSet_ = false;
  insertSuppressed_ = false;
  changeSuppressed_ = false;
  int blank = statement_.FindChar(' ');
  if (FAILED(CopySlice(statement_, 0, blank == tString::kNone ? statement_.Length() : blank, firstWord_)))
    return E_OUTOFMEMORY;
  firstWord_.Trim();

  if (firstWord_.Equals("select")) {
    kind_ = StatementKind::Select;
    return parseSelectStatement();
  }
  if (firstWord_.Equals("update") || firstWord_.Equals("updat2") || firstWord_.Equals("updat3")) {
    kind_ = StatementKind::Update;
    insertSuppressed_ = firstWord_.Equals("updat2");
    changeSuppressed_ = firstWord_.Equals("updat3");
    return parseUpdateStatement();
  }
  if (firstWord_.Equals("delete")) {
    kind_ = StatementKind::Delete;
    return parseDeleteStatement();
  }
  if (firstWord_.Equals("create")) {
    kind_ = StatementKind::Create;
    return parseAndExecuteCreateStatement();
  }
  // Committing is the Commit operation, never a statement.
  if (firstWord_.Equals("commit")) return E_INVALIDARG;
  if (firstWord_.Equals("sort")) return parseAndExecuteSortStatement();
  if (firstWord_.Equals("drop")) return parseAndExecuteDropStatement();
  return E_INVALIDARG;
}

HRESULT tSqlQueryEngine::ExecuteStatement() {
  switch (kind_) {
    case StatementKind::Select: return handleSelectStatement();
    case StatementKind::Update: return handleUpdateStatement();
    case StatementKind::Delete: return handleDeleteStatement();
    case StatementKind::Create:
    case StatementKind::None: return S_OK;  // carried out while parsing
  }
  return E_UNEXPECTED;
}

HRESULT tSqlQueryEngine::openTable(const tString& name) {
  if (cachedTableIsCurrent(name)) return S_OK;
  return OpenTable(database_, name.c_str(), table_);
}

// A reloaded tree can occupy the addresses of the old one, so the cached nodes
// are trusted only while they still hang in the current tree.
bool tSqlQueryEngine::cachedTableIsCurrent(const tString& name) const {
  if (!database_ || !table_.table || !table_.contents || !HasChild(database_, table_.table)) return false;
  return HasChild(table_.table, table_.definition) && HasChild(table_.table, table_.types) &&
         HasChild(table_.table, table_.contents) && table_.table->value.Equals(name);
}

void tSqlQueryEngine::forgetTable() { table_ = tTable{}; }

bool tSqlQueryEngine::BeginRowWalk() {
  if (!noWhere_ && table_.contents->index && GetPrimaryKeyValueInWhereEquation(keyValue_) == S_OK) {
    table_.contents->BeginChildren(true, keyValue_.c_str());
    return true;
  }
  table_.contents->BeginChildren();
  return false;
}

tAtrribute* tSqlQueryEngine::NextMatchingRow(bool includeDeleted, bool useIndex) {
  while (tAtrribute* row = table_.contents->NextChild(useIndex)) {
    if (!includeDeleted && row->state == kRowDeleted) continue;
    if (noWhere_) return row;
    equations_.SetRow(row->value.c_str());
    if (equations_.Evaluate() == 1) return row;
  }
  return nullptr;
}

// The row whose id is `id`: among the index entries under the key value when
// the where clause gives one, else by name among all rows.
tAtrribute* tSqlQueryEngine::findRowById(const tString& id) {
  if (!table_.contents->index || GetPrimaryKeyValueInWhereEquation(keyValue_) != S_OK)
    return table_.contents->FindChild(id.c_str());
  table_.contents->BeginChildren(true, keyValue_.c_str());
  while (tAtrribute* row = table_.contents->NextChild(true))
    if (row->name.Equals(keyValue_)) return row;
  return nullptr;
}
