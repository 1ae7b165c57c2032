#include "store/table.h"

#include "store/row_id.h"

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

HRESULT CommitTable(tTable& table) {
  if (!table.table || !table.contents) return E_POINTER;
  if (table.contents->children) {
    std::vector<tAtrribute*> deleted =
        table.contents->children->Partition([](tAtrribute* row) { return row->state != kRowDeleted; });
    for (int i = 0, count = table.contents->ChildCount(); i < count; ++i) table.contents->ChildAt(i)->state = kRowUnchanged;
    for (tAtrribute* row : deleted) {
      row->parent = nullptr;
      tAtrribute::Dispose(row, true);
    }
  }
  table.table->state = kRowUnchanged;
  return S_OK;
}

HRESULT CommitDatabase(tAtrribute* root) {
  if (!root) return E_POINTER;
  for (int i = 0, count = root->ChildCount(); i < count; ++i) {
    tAtrribute* node = root->ChildAt(i);
    if (!node->name.Equals("Table") || node->state != kTableModified) continue;
    tTable table;
    if (SUCCEEDED(OpenTable(root, node->value.c_str(), table)) && table.table == node) {
      HRESULT hr = CommitTable(table);
      if (FAILED(hr)) return hr;
    }
  }
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
  return row;
}

void MarkRowDeleted(tTable& table, tAtrribute* row) {
  row->state = kRowDeleted;
  table.table->state = kTableModified;
}
