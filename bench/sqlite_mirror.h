// The SQLite side of the comparison: a database that holds the same tables and
// rows as a loaded configuration, driven at its best: every statement prepared
// once and its keys bound as parameters.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "store/attribute.h"

// One table of a loaded tree with its cells split: what SQLite's load inserts.
// The cells of all rows are kept in one text, so that a million rows cost no
// more memory than their bytes and two offsets per cell.
struct ParsedTable {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::string> types;
  std::string cells;                 // row id, then the cells, of every row
  std::vector<std::uint32_t> starts; // where each cell begins in `cells`
  std::vector<std::uint32_t> ends;
  std::vector<std::uint32_t> rowFirstCell;  // one entry per row, and one behind the last

  size_t RowCount() const { return rowFirstCell.empty() ? 0 : rowFirstCell.size() - 1; }
};
std::vector<ParsedTable> ParseTables(tAtrribute* root);
// The configuration's columns of `table`, quoted and comma-separated, as the
// mirror names them: a select of them answers the rows a select * of ours does.
std::string ColumnList(const ParsedTable& table);

class SqliteMirror {
 public:
  SqliteMirror();
  ~SqliteMirror();
  SqliteMirror(const SqliteMirror&) = delete;
  SqliteMirror& operator=(const SqliteMirror&) = delete;

  // Rebuilds the database from split cells: creates every table (a RowId
  // column, then the configuration's columns, all text compared without regard
  // to case, as the query language does) and inserts every row, in one transaction.
  void Load(const std::vector<ParsedTable>& tables);
  // Opens a database that SaveTo wrote, into memory: as SQLite's own users load
  // a whole database, through the backup interface or from its bytes.
  void OpenSaved(const std::string& path);
  void Deserialize(const std::string& path);
  // The statement prepared on its first use and kept.
  sqlite3_stmt* Prepared(const std::string& sql);
  // Runs a prepared select with `keys` bound, joining each row's cells with "|"
  // as a select of the query language does (into `texts` when given); answers
  // the number of rows.
  int Select(sqlite3_stmt* statement, std::initializer_list<std::string_view> keys,
             std::vector<std::string>* texts = nullptr);
  // Runs a prepared change with `keys` bound; answers the number of rows changed.
  int Change(sqlite3_stmt* statement, std::initializer_list<std::string_view> keys);
  // Runs SQL text once (schema changes, BEGIN, COMMIT).
  void Execute(const std::string& sql);
  // Writes the database into a new file with the backup interface; the file is
  // synced to disk (SQLite's default, synchronous FULL), as our saves are.
  void SaveTo(const std::string& path);
  // Bytes of memory SQLite holds.
  static std::int64_t MemoryUsed() { return sqlite3_memory_used(); }

 private:
  void Bind(sqlite3_stmt* statement, std::initializer_list<std::string_view> keys);

  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> prepared_;
};
