// The SQLite side of the comparison: an in-memory database that holds the same
// tables and rows as a loaded configuration, and runs SQL text on them.
#pragma once
#include <sqlite3.h>

#include <string>
#include <vector>

#include "store/attribute.h"

// One table of a loaded tree with its cells split: what SQLite's load inserts.
struct ParsedTable {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::string> types;
  std::vector<std::vector<std::string>> rows;  // row id, then the cells
};
std::vector<ParsedTable> ParseTables(tAtrribute* root);

class SqliteMirror {
 public:
  SqliteMirror();
  ~SqliteMirror();
  SqliteMirror(const SqliteMirror&) = delete;
  SqliteMirror& operator=(const SqliteMirror&) = delete;

  // Creates every table (a RowId column, then the configuration's columns; text
  // compared without regard to case, as the query language does) and inserts
  // every row, in one transaction.
  void Load(const std::vector<ParsedTable>& tables);
  // Steps through the rows, joining each row's cells with "|" as a select of the
  // query language does; answers the number of rows.
  int Select(const std::string& sql);
  // Answers the number of rows changed.
  int Execute(const std::string& sql);
  // Writes the database into a file with the backup interface.
  void SaveTo(const std::string& path);

 private:
  sqlite3* db_ = nullptr;
};
