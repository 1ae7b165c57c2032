#include <algorithm>

#include "platform/trace.h"
#include "query/clause_text.h"
#include "query/query_engine.h"
#include "store/index_filler.h"
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
  tIndexFiller filler(index);
  HRESULT hr = S_OK;
  contents->BeginChildren();
  while (tAtrribute* row = contents->NextChild()) {
    if (row->state == kRowDeleted) continue;
    ForEachKeyColumn(keyColumns, keyColumn_, [&](const char* column) {
      KeySource source = RowKey(table_, row, row->value, column, keyValue_);
      if (source == KeySource::Unknown) {
        DebugTrace("tSqlQueryEngine: Query (%s) failed, unknown column token (%s) in query\n", statement_.c_str(),
                   column);
        errorFlag_ = true;
        return;
      }
      if (source == KeySource::RowId) contents->indexKeyMode = kIndexByName;
      if (FAILED(filler.Add(keyValue_.c_str(), row))) hr = E_OUTOFMEMORY;
    });
    if (FAILED(hr)) return hr;
  }
  if (FAILED(filler.Finish())) return E_OUTOFMEMORY;
  const int longestChain = filler.LongestChain();

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
