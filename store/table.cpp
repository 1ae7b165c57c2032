#include "store/table.h"

#include "store/row_id.h"
#include "store/row_keys.h"

tAtrribute* FindTable(tAtrribute* root, const char* name) {
  return root && name ? root->FindChild("Table", name) : nullptr;
}

HRESULT OpenTable(tAtrribute* root, const char* name, tTable& out) {
  out = tTable{};
  tAtrribute* table = FindTable(root, name);
  if (!table) return E_FAIL;
  tAtrribute* definition = table->FindChild("TableDefinition");
  tAtrribute* types = table->FindChild("TableType");
  if (!definition || !types) return E_FAIL;
  tAtrribute* contents = table->FindChild("TableContents");
  if (!contents) {
    contents = tAtrribute::CreateChild(table, "TableContents", "", kRowNew);
    if (!contents) return E_OUTOFMEMORY;
  }
  definition->FieldCount();
  out = tTable{table, definition, types, contents};
  return S_OK;
}

HRESULT CreateTable(tAtrribute* root, const char* name, const char* columns, const char* types) {
  if (!root || !name || !columns || !types) return E_POINTER;
  if (FindTable(root, name)) return S_OK;
  tAtrribute* table = tAtrribute::CreateChild(root, "Table", name, kRowNew);
  if (!table) return E_OUTOFMEMORY;
  tAtrribute* definition = tAtrribute::CreateChild(table, "TableDefinition", columns, kRowNew);
  if (!definition || !tAtrribute::CreateChild(table, "TableType", types, kRowNew) ||
      !tAtrribute::CreateChild(table, "TableContents", "", kRowNew)) {
    root->RemoveChild(table);
    return E_OUTOFMEMORY;
  }
  definition->FieldCount();
  return S_OK;
}

HRESULT DropTable(tAtrribute* root, const char* name) {
  tAtrribute* table = FindTable(root, name);
  return table ? root->RemoveChild(table) : S_OK;
}

namespace {
// Unlinks the rows for which remove(row) is true, takes their keys out of the
// index and gives them back to the node pool for reuse.
template <typename Remove>
void RemoveRows(tTable& table, Remove remove) {
  if (!table.contents->children) return;
  tAllocator<tAtrribute>::Batch removed(TreeNodePool());
  table.contents->children->RemoveIf(remove, [&table, &removed](tAtrribute* row) {
    UnindexRow(table, row);
    removed.GiveBack(row);
  });
}
}  // namespace

HRESULT CommitTable(tTable& table) {
  if (!table.table || !table.contents) return E_POINTER;
  RemoveRows(table, [](tAtrribute* row) {
    if (row->state == kRowDeleted) return true;
    row->state = kRowUnchanged;
    return false;
  });
  table.table->state = kRowUnchanged;
  return S_OK;
}

HRESULT PurgeRows(tTable& table, std::int32_t state) {
  if (!table.contents->index) return table.contents->RemoveChildren(state, true, true);
  RemoveRows(table, [state](tAtrribute* row) { return state == kRowAny || row->state == state; });
  return S_OK;
}

HRESULT ForceRowWidth(tString& value, int columns) { return value.FixFieldCount('|', columns); }

HRESULT EditRow(tTable& table, tAtrribute* row, const char* value) {
  if (!row || !value) return E_POINTER;
  if (FAILED(row->previousValue.Assign(row->value, 8)) || FAILED(row->value.Assign(value, 8)) ||
      FAILED(ForceRowWidth(row->value, table.ColumnCount())))
    return E_OUTOFMEMORY;
  row->state = kRowEdited;
  table.table->state = kTableModified;
  UpdateRowKeys(table, row);
  return S_OK;
}

tAtrribute* AddRow(tTable& table, tString& suggestedRowId, const char* value) {
  tString rowId;
  if (!suggestedRowId.IsEmpty()) {
    rowId = suggestedRowId;
    suggestedRowId.Clear();
  } else if (FAILED(MakeRowId(rowId))) {
    return nullptr;
  }
  tAtrribute* row = tAtrribute::CreateChild(table.contents, rowId.c_str(), value, kRowNew);
  if (!row) return nullptr;
  ForceRowWidth(row->value, table.ColumnCount());
  table.table->state = kTableModified;
  IndexRow(table, row);
  return row;
}

void MarkRowDeleted(tTable& table, tAtrribute* row) {
  row->state = kRowDeleted;
  table.table->state = kTableModified;
}
