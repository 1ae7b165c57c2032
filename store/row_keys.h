// The entries of a row in its table's primary-key index: one per key column,
// under the row's field in that column, or under its row id for the
// pseudo-column System.RowNumber.
#pragma once
#include "store/table.h"

enum class KeySource { Unknown, Field, RowId };

// The key of `row` for `column`, read from `rowValue` (the value or the previous
// value). Unknown when the column is neither in the definition nor
// System.RowNumber, or the value has no field there.
KeySource RowKey(const tTable& table, const tAtrribute* row, const tString& rowValue, const char* column, tString& key);

// A key column looked up once, for reading the keys of many rows.
struct KeyColumn {
  int position = -1;  // in the definition; -1 when it is not there
  bool rowNumber = false;
};
KeyColumn FindKeyColumn(const tTable& table, const char* column);
// The same as RowKey, pointing at the key instead of copying it.
KeySource RowKeyText(const KeyColumn& column, const tAtrribute* row, const tString& rowValue, const char*& key,
                     size_t& length);

// Calls visit(column) for each name of the comma-separated key-column list, as it stands.
template <typename Visit>
void ForEachKeyColumn(const tString& keyColumns, tString& column, Visit visit) {
  for (int position = 0, length = keyColumns.Length(); position < length;)
    if (SUCCEEDED(keyColumns.NextToken(',', position, column))) visit(column.c_str());
}

// Enters a new row under each key column.
void IndexRow(tTable& table, tAtrribute* row);
// Removes a row's entries, before the row leaves the table.
void UnindexRow(tTable& table, tAtrribute* row);
// Moves an edited row from the keys of its previous value to those of its value.
void UpdateRowKeys(tTable& table, tAtrribute* row);
