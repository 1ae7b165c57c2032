// The tables of a file, as rows for `vexacfg tables` and `schema` and the shell's
// .tables and .schema: TABLE|ROWS per table, TABLE|COLUMN|TYPE per column.
#pragma once
#include <string>
#include <vector>

#include "store/attribute.h"
#include "tools/output_format.h"

extern const Cells kSchemaColumns;
extern const Cells kTableCountColumns;

// Each table with its row count, in file order.
std::vector<Cells> TableCounts(tAtrribute* root);

// Every table, or only the one named (ignoring case); false when there is no such table.
bool SchemaRows(tAtrribute* root, const std::string& table, std::vector<Cells>& rows);
