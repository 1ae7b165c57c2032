#include "bench/sqlite_mirror.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

namespace {
void Check(int code, sqlite3* db, const char* what) {
  if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW) return;
  std::fprintf(stderr, "sqlite: %s: %s\n", what, sqlite3_errmsg(db));
  std::abort();
}

std::vector<std::string> Split(const char* text) {
  std::vector<std::string> fields;
  std::stringstream stream(text);
  for (std::string field; std::getline(stream, field, '|');) fields.push_back(field);
  if (*text && text[std::char_traits<char>::length(text) - 1] == '|') fields.emplace_back();
  return fields;
}

// Appends the row id and the "|"-separated cells of one row.
void AddRow(ParsedTable& table, const char* id, const char* value) {
  table.rowFirstCell.push_back(static_cast<std::uint32_t>(table.starts.size()));
  auto addCell = [&table](const char* begin, size_t length) {
    table.starts.push_back(static_cast<std::uint32_t>(table.cells.size()));
    table.cells.append(begin, length);
    table.ends.push_back(static_cast<std::uint32_t>(table.cells.size()));
  };
  addCell(id, std::strlen(id));
  for (const char* cell = value;;) {
    const char* bar = std::strchr(cell, '|');
    addCell(cell, bar ? static_cast<size_t>(bar - cell) : std::strlen(cell));
    if (!bar) break;
    cell = bar + 1;
  }
}

std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The table's columns as SQLite knows them, quoted: SQLite refuses names that
// differ only in case, which the configuration allows.
std::vector<std::string> SqliteColumnNames(const ParsedTable& table) {
  std::vector<std::string> names;
  std::set<std::string> seen{"rowid"};
  for (size_t i = 0; i < table.columns.size(); ++i) {
    std::string name = table.columns[i];
    if (!seen.insert(Lower(name)).second) name += "_" + std::to_string(i);
    names.push_back(Quoted(name));
  }
  return names;
}

// Every column is text, as the file's cells are, so that both sides hand back
// the same bytes; text compares without regard to case, as the query language does.
std::string CreateStatement(const ParsedTable& table) {
  std::string sql = "CREATE TABLE " + Quoted(table.name) + " (\"RowId\" TEXT";
  for (const std::string& name : SqliteColumnNames(table)) sql += ", " + name + " TEXT COLLATE NOCASE";
  return sql + ")";
}

void InsertRows(sqlite3* db, const ParsedTable& table) {
  std::string sql = "INSERT INTO " + Quoted(table.name) + " VALUES (?";
  for (size_t i = 0; i < table.columns.size(); ++i) sql += ",?";
  sql += ")";
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr), db, sql.c_str());
  const std::uint32_t parameters = static_cast<std::uint32_t>(table.columns.size()) + 1;
  for (size_t row = 0; row < table.RowCount(); ++row) {
    const std::uint32_t first = table.rowFirstCell[row], cells = table.rowFirstCell[row + 1] - first;
    for (std::uint32_t i = 0; i < parameters; ++i) {
      if (i < cells) {
        const std::uint32_t cell = first + i;
        sqlite3_bind_text(insert, static_cast<int>(i) + 1, table.cells.data() + table.starts[cell],
                          static_cast<int>(table.ends[cell] - table.starts[cell]), SQLITE_STATIC);
      } else {
        sqlite3_bind_null(insert, static_cast<int>(i) + 1);
      }
    }
    Check(sqlite3_step(insert), db, "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
}
}  // namespace

std::vector<ParsedTable> ParseTables(tAtrribute* root) {
  std::vector<ParsedTable> tables;
  // Walked with the lists' cursors: a child by position costs a walk of its own.
  root->BeginChildren();
  while (tAtrribute* table = root->NextChild()) {
    tAtrribute* definition = table->FindChild("TableDefinition");
    tAtrribute* types = table->FindChild("TableType");
    tAtrribute* contents = table->FindChild("TableContents");
    if (!definition || !types || !contents) continue;
    ParsedTable parsed{table->value.c_str(), Split(definition->value.c_str()), Split(types->value.c_str()), {}, {}, {}, {}};
    contents->BeginChildren();
    while (tAtrribute* row = contents->NextChild()) AddRow(parsed, row->name.c_str(), row->value.c_str());
    parsed.rowFirstCell.push_back(static_cast<std::uint32_t>(parsed.starts.size()));
    tables.push_back(std::move(parsed));
  }
  return tables;
}

std::string ColumnList(const ParsedTable& table) {
  std::string list;
  for (const std::string& name : SqliteColumnNames(table)) list += (list.empty() ? "" : ",") + name;
  return list;
}

SqliteMirror::SqliteMirror() { Check(sqlite3_open(":memory:", &db_), db_, "open"); }

SqliteMirror::~SqliteMirror() {
  for (auto& entry : prepared_) sqlite3_finalize(entry.second);
  sqlite3_close(db_);
}

void SqliteMirror::Load(const std::vector<ParsedTable>& tables) {
  Execute("BEGIN");
  for (const ParsedTable& table : tables) {
    Execute(CreateStatement(table));
    InsertRows(db_, table);
  }
  Execute("COMMIT");
}

sqlite3_stmt* SqliteMirror::Prepared(const std::string& sql) {
  sqlite3_stmt*& statement = prepared_[sql];
  if (!statement) Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr), db_, sql.c_str());
  return statement;
}

void SqliteMirror::Bind(sqlite3_stmt* statement, std::initializer_list<std::string_view> keys) {
  sqlite3_reset(statement);
  int parameter = 0;
  for (std::string_view key : keys)
    Check(sqlite3_bind_text(statement, ++parameter, key.data(), static_cast<int>(key.size()), SQLITE_STATIC), db_,
          "bind");
}

int SqliteMirror::Select(sqlite3_stmt* statement, std::initializer_list<std::string_view> keys,
                         std::vector<std::string>* texts) {
  Bind(statement, keys);
  const int columns = sqlite3_column_count(statement);
  int rows = 0;
  std::string text;
  int code;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    text.clear();
    for (int i = 0; i < columns; ++i) {
      if (i) text += '|';
      if (const unsigned char* cell = sqlite3_column_text(statement, i)) text += reinterpret_cast<const char*>(cell);
    }
    if (texts) texts->push_back(text);
    ++rows;
  }
  Check(code, db_, "select");
  return rows;
}

int SqliteMirror::Change(sqlite3_stmt* statement, std::initializer_list<std::string_view> keys) {
  Bind(statement, keys);
  Check(sqlite3_step(statement), db_, "change");
  return sqlite3_changes(db_);
}

void SqliteMirror::Execute(const std::string& sql) {
  Check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), db_, sql.c_str());
}

void SqliteMirror::SaveTo(const std::string& path) {
  sqlite3* file = nullptr;
  Check(sqlite3_open(path.c_str(), &file), file, "open file");
  sqlite3_backup* backup = sqlite3_backup_init(file, "main", db_, "main");
  if (!backup) Check(SQLITE_ERROR, file, "backup");
  Check(sqlite3_backup_step(backup, -1), file, "backup step");
  sqlite3_backup_finish(backup);
  sqlite3_close(file);
}

void SqliteMirror::OpenSaved(const std::string& path) {
  sqlite3* file = nullptr;
  Check(sqlite3_open_v2(path.c_str(), &file, SQLITE_OPEN_READONLY, nullptr), file, "open saved file");
  sqlite3_backup* backup = sqlite3_backup_init(db_, "main", file, "main");
  if (!backup) Check(SQLITE_ERROR, db_, "backup");
  Check(sqlite3_backup_step(backup, -1), db_, "backup step");
  sqlite3_backup_finish(backup);
  sqlite3_close(file);
}

void SqliteMirror::Deserialize(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) Check(SQLITE_CANTOPEN, db_, path.c_str());
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  auto* bytes = static_cast<unsigned char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(size)));
  const bool read = bytes && std::fread(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
  std::fclose(file);
  if (!read) Check(SQLITE_IOERR, db_, path.c_str());
  Check(sqlite3_deserialize(db_, "main", bytes, size, size,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE),
        db_, "deserialize");
}
