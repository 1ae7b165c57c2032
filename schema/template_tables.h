// The tables that a new configuration file of each version starts with: names,
// column lists and type lists exactly as files of that version carry them. Some
// type lists have fewer or more entries than their column lists; they stay so.
#pragma once

struct TemplateTable {
  const char* name;
  const char* definition;  // column names joined by "|"
  const char* types;       // type names joined by "|"
};

// A version 3 table that the version 4 list lacks, and the table it follows.
struct AddedTable {
  const char* after;
  TemplateTable table;
};

// Version 4, in file order.
extern const TemplateTable kVersionFourTables[62];
// Version 5 is version 4 followed by this table.
extern const TemplateTable kVersionFiveTable;
// Version 3 is version 4 with these Constants types and these tables added, each
// directly behind the table it names (several behind one table in list order).
extern const char* const kVersionThreeConstantsTypes;
extern const AddedTable kVersionThreeTables[11];
