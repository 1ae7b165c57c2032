// Table-level operations on the tree: a Table node with its TableDefinition,
// TableType and TableContents sections, whose children are the rows.
#pragma once
#include "store/attribute.h"

struct tTable {
  tAtrribute* table = nullptr;
  tAtrribute* definition = nullptr;
  tAtrribute* types = nullptr;
  tAtrribute* contents = nullptr;

  int ColumnCount() const { return definition ? definition->FieldCount() : 0; }
};

tAtrribute* FindTable(tAtrribute* root, const char* name);
// E_FAIL when the table or its definition or type section is missing; a missing
// TableContents is created empty, in state New.
HRESULT OpenTable(tAtrribute* root, const char* name, tTable& out);
// All three texts are required (E_POINTER). An existing table is left as it is.
HRESULT CreateTable(tAtrribute* root, const char* name, const char* columns, const char* types);
// Dropping a table that does not exist succeeds.
HRESULT DropTable(tAtrribute* root, const char* name);
// Settles row states: Deleted rows leave the tree (and the key index) and go
// back to the node pool for reuse; all others become Unchanged.
HRESULT CommitTable(tTable& table);
// Removes the rows in `state` (every row for kRowAny) at once, keys included.
HRESULT PurgeRows(tTable& table, std::int32_t state);

// Forces exactly `columns` "|"-separated fields.
HRESULT ForceRowWidth(tString& value, int columns);
// Both keep the key index in step with the row.
HRESULT EditRow(tTable& table, tAtrribute* row, const char* value);
// Uses the suggested id once (then clears it) when it is not empty, else a new row id.
tAtrribute* AddRow(tTable& table, tString& suggestedRowId, const char* value);
void MarkRowDeleted(tTable& table, tAtrribute* row);
