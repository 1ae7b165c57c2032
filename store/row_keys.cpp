#include "store/row_keys.h"

#include <cstring>
#include <string>
#include <vector>

KeyColumn FindKeyColumn(const tTable& table, const char* column) {
  KeyColumn found;
  if (FAILED(table.definition->value.FieldIndex(column, '|', false, found.position))) found.position = -1;
  found.rowNumber = tString(column).CompareTrimmed("System.RowNumber") == 0;
  return found;
}

KeySource RowKeyText(const KeyColumn& column, const tAtrribute* row, const tString& rowValue, const char*& key,
                     size_t& length) {
  if (column.position >= 0 && SUCCEEDED(rowValue.FindField(column.position, '|', key, length))) return KeySource::Field;
  if (!column.rowNumber) return KeySource::Unknown;
  key = row->name.c_str();
  length = std::strlen(key);
  return KeySource::RowId;
}

KeySource RowKey(const tTable& table, const tAtrribute* row, const tString& rowValue, const char* column,
                 tString& key) {
  const char* text = nullptr;
  size_t length = 0;
  const KeySource source = RowKeyText(FindKeyColumn(table, column), row, rowValue, text, length);
  if (source == KeySource::Unknown || FAILED(key.Assign(text, length, 8))) return KeySource::Unknown;
  return source;
}

void IndexRow(tTable& table, tAtrribute* row) {
  tHash* index = table.contents->index.get();
  if (!index) return;
  tString column, key;
  ForEachKeyColumn(index->KeyColumns(), column, [&](const char* name) {
    if (RowKey(table, row, row->value, name, key) != KeySource::Unknown) index->Insert(key.c_str(), row, true, true, nullptr);
  });
}

namespace {
// Keys of several key columns that are equal ignoring case share one entry of
// the row; this tells whether `key` is one of those already handled.
bool Seen(std::vector<std::string>& seen, const tString& key) {
  for (const std::string& earlier : seen)
    if (key.Equals(earlier.c_str())) return true;
  seen.emplace_back(key.c_str());
  return false;
}
}  // namespace

void UnindexRow(tTable& table, tAtrribute* row) {
  tHash* index = table.contents->index.get();
  if (!index) return;
  tString column, key;
  std::vector<std::string> removed;
  ForEachKeyColumn(index->KeyColumns(), column, [&](const char* name) {
    if (RowKey(table, row, row->value, name, key) != KeySource::Unknown && !Seen(removed, key))
      index->RemoveItem(key.c_str(), row);
  });
}

// The changed old keys go first; then every column's key is entered again, so
// that an entry that a changed column shared with an unchanged one comes back.
void UpdateRowKeys(tTable& table, tAtrribute* row) {
  tHash* index = table.contents->index.get();
  if (!index) return;
  tString column, oldKey, newKey;
  std::vector<std::string> removed;
  bool changed = false;
  ForEachKeyColumn(index->KeyColumns(), column, [&](const char* name) {
    const bool hadKey = RowKey(table, row, row->previousValue, name, oldKey) != KeySource::Unknown;
    const bool hasKey = RowKey(table, row, row->value, name, newKey) != KeySource::Unknown;
    if (hadKey && hasKey && std::strcmp(oldKey.c_str(), newKey.c_str()) == 0) return;
    changed = true;
    if (hadKey && !Seen(removed, oldKey)) index->RemoveItem(oldKey.c_str(), row);
  });
  if (changed) IndexRow(table, row);
}
