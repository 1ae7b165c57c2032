#include "store/row_keys.h"

#include <cstring>

KeySource RowKey(const tTable& table, const tAtrribute* row, const tString& rowValue, const char* column,
                 tString& key) {
  int position = 0;
  if (SUCCEEDED(table.definition->value.FieldIndex(column, '|', false, position)) &&
      SUCCEEDED(rowValue.GetField(position, '|', key)))
    return KeySource::Field;
  if (tString(column).CompareTrimmed("System.RowNumber") == 0 && SUCCEEDED(key.Assign(row->name)))
    return KeySource::RowId;
  return KeySource::Unknown;
}

void IndexRow(tTable& table, tAtrribute* row) {
  tHash* index = table.contents->index.get();
  if (!index) return;
  tString column, key;
  ForEachKeyColumn(index->KeyColumns(), column, [&](const char* name) {
    if (RowKey(table, row, row->value, name, key) != KeySource::Unknown) index->Insert(key.c_str(), row, true, true, nullptr);
  });
}

void UnindexRow(tTable& table, tAtrribute* row) {
  tHash* index = table.contents->index.get();
  if (!index) return;
  tString column, key;
  ForEachKeyColumn(index->KeyColumns(), column, [&](const char* name) {
    if (RowKey(table, row, row->value, name, key) != KeySource::Unknown) index->RemoveItem(key.c_str(), row);
  });
}

void UpdateRowKeys(tTable& table, tAtrribute* row) {
  tHash* index = table.contents->index.get();
  if (!index) return;
  tString column, oldKey, newKey;
  ForEachKeyColumn(index->KeyColumns(), column, [&](const char* name) {
    const bool hadKey = RowKey(table, row, row->previousValue, name, oldKey) != KeySource::Unknown;
    const bool hasKey = RowKey(table, row, row->value, name, newKey) != KeySource::Unknown;
    if (hadKey && hasKey && std::strcmp(oldKey.c_str(), newKey.c_str()) == 0) return;
    if (hadKey) index->RemoveItem(oldKey.c_str(), row);
    if (hasKey) index->Insert(newKey.c_str(), row, true, true, nullptr);
  });
}
