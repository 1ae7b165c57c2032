#include <algorithm>
#include <utility>
#include <vector>

#include "platform/trace.h"
#include "query/clause_text.h"
#include "query/query_engine.h"
#include "store/index_builder.h"
#include "store/row_keys.h"

namespace {
constexpr int kNone = tString::kNone;
constexpr int kMinimumBins = 1024;
constexpr int kRowsPerBin = 4;
constexpr int kChainAlert = 5;
constexpr int kChainLimit = 10000;
}  // namespace

// «sort table T on A,B»: enters every row that is not Deleted under its field
// in each key column, in an index sized for four rows per bin and key column.
// The rows keep their order; the name is historical.
HRESULT tSqlQueryEngine::parseAndExecuteSortStatement() {
  int sort = statement_.FindNoCase("sort ");
  int table = sort == kNone ? kNone : statement_.FindNoCase("table ", sort + 5);
  int on = table == kNone ? kNone : statement_.FindNoCase("on ", table + 6);
  if (on == kNone) return E_FAIL;
  if (FAILED(CopySlice(statement_, table + 6, on - 1, tableName_))) return E_OUTOFMEMORY;
  tableName_.Trim();
  if (FAILED(openTable(tableName_))) {
    DebugTrace("tSqlQueryEngine: Query (%s) failed, invalid table (%s) for sort statement\n", statement_.c_str(),
               tableName_.c_str());
    errorFlag_ = true;
    return E_FAIL;
  }
  tAtrribute* contents = table_.contents;
  if (!contents->index) {
    contents->index.reset(new (std::nothrow) tHash());
    if (!contents->index) return E_OUTOFMEMORY;
  }
  tHash& index = *contents->index;
  tString& keyColumns = index.KeyColumns();
  if (FAILED(CopySlice(statement_, on + 3, statement_.Length(), keyColumns))) return E_OUTOFMEMORY;
  const int bins = std::max(kMinimumBins, contents->ChildCount() / kRowsPerBin * keyColumns.CountFields(','));
  if (FAILED(index.Size(bins))) return E_OUTOFMEMORY;

  // Rows are keyed by id only while System.RowNumber is a key column, so a
  // later sort on other columns must not leave the node looking rows up by id.
  contents->indexKeyMode = kIndexUnused;
  std::vector<std::pair<tString, KeyColumn>> columns;
  ForEachKeyColumn(keyColumns, keyColumn_, [&](const char* column) {
    columns.emplace_back(tString(column), FindKeyColumn(table_, column));
  });
  tIndexBuilder builder(index, static_cast<size_t>(contents->ChildCount()) * columns.size());
  contents->BeginChildren();
  while (tAtrribute* row = contents->NextChild()) {
    if (row->state == kRowDeleted) continue;
    for (const auto& [name, column] : columns) {
      const char* key = nullptr;
      size_t length = 0;
      const KeySource source = RowKeyText(column, row, row->value, key, length);
      if (source == KeySource::Unknown) {
        DebugTrace("tSqlQueryEngine: Query (%s) failed, unknown column token (%s) in query\n", statement_.c_str(),
                   name.c_str());
        errorFlag_ = true;
        continue;
      }
      if (source == KeySource::RowId) contents->indexKeyMode = kIndexByName;
      if (FAILED(builder.Add(key, length, row))) return E_OUTOFMEMORY;
    }
  }
  if (FAILED(builder.Finish())) return E_OUTOFMEMORY;
  const int longestChain = builder.LongestChain();

  if (longestChain < kChainAlert) return S_OK;
  DebugTrace("tSqlQueryEngine::parseAndExecuteSortStatement, Opto alert: Hash table max bin size was (%d). Reconsider "
             "hash technique or size used for table (%s) using PrimaryKey (%s)\n",
             longestChain, tableName_.c_str(), keyColumns.c_str());
  if (longestChain < kChainLimit) return S_OK;
  DebugTrace("tSqlQueryEngine::parseAndExecuteSortStatement, Opto alert: Hash table max bin size was (%d). "
             "PrimaryKey (%s) removed completely from table (%s)\n",
             longestChain, keyColumns.c_str(), tableName_.c_str());
  contents->index.reset();
  contents->indexKeyMode = kIndexUnused;
  return S_OK;
}
