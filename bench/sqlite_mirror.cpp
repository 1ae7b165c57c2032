#include "bench/sqlite_mirror.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
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

std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// Int and DWord columns hold integers, Float reals, the rest text.
const char* ColumnType(const std::string& type) {
  const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(type.empty() ? ' ' : type[0])));
  if (first == 'i' || first == 'd') return "INTEGER";
  if (first == 'f') return "REAL";
  return "TEXT COLLATE NOCASE";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string CreateStatement(const ParsedTable& table) {
  std::string sql = "CREATE TABLE " + Quoted(table.name) + " (\"RowId\" TEXT";
  std::set<std::string> seen{"rowid"};
  for (size_t i = 0; i < table.columns.size(); ++i) {
    // SQLite refuses names that differ only in case; the configuration allows them.
    std::string name = table.columns[i];
    if (!seen.insert(Lower(name)).second) name += "_" + std::to_string(i);
    sql += ", " + Quoted(name) + " " + ColumnType(i < table.types.size() ? table.types[i] : "");
  }
  return sql + ")";
}

void InsertRows(sqlite3* db, const ParsedTable& table) {
  std::string sql = "INSERT INTO " + Quoted(table.name) + " VALUES (?";
  for (size_t i = 0; i < table.columns.size(); ++i) sql += ",?";
  sql += ")";
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr), db, sql.c_str());
  const int parameters = static_cast<int>(table.columns.size()) + 1;
  for (const auto& row : table.rows) {
    for (int i = 0; i < parameters; ++i) {
      if (i < static_cast<int>(row.size())) sqlite3_bind_text(insert, i + 1, row[i].data(), static_cast<int>(row[i].size()), SQLITE_STATIC);
      else sqlite3_bind_null(insert, i + 1);
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
    ParsedTable parsed{table->value.c_str(), Split(definition->value.c_str()), Split(types->value.c_str()), {}};
    parsed.rows.reserve(contents->ChildCount());
    contents->BeginChildren();
    while (tAtrribute* row = contents->NextChild()) {
      parsed.rows.push_back({row->name.c_str()});
      for (std::string& cell : Split(row->value.c_str())) parsed.rows.back().push_back(std::move(cell));
    }
    tables.push_back(std::move(parsed));
  }
  return tables;
}

SqliteMirror::SqliteMirror() { Check(sqlite3_open(":memory:", &db_), db_, "open"); }

SqliteMirror::~SqliteMirror() { sqlite3_close(db_); }

void SqliteMirror::Load(const std::vector<ParsedTable>& tables) {
  Execute("BEGIN");
  for (const ParsedTable& table : tables) {
    Execute(CreateStatement(table));
    InsertRows(db_, table);
  }
  Execute("COMMIT");
}

int SqliteMirror::Select(const std::string& sql) {
  sqlite3_stmt* select = nullptr;
  Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &select, nullptr), db_, sql.c_str());
  const int columns = sqlite3_column_count(select);
  int rows = 0;
  std::string text;
  while (sqlite3_step(select) == SQLITE_ROW) {
    text.clear();
    for (int i = 0; i < columns; ++i) {
      if (i) text += '|';
      if (const unsigned char* cell = sqlite3_column_text(select, i)) text += reinterpret_cast<const char*>(cell);
    }
    ++rows;
  }
  sqlite3_finalize(select);
  return rows;
}

int SqliteMirror::Execute(const std::string& sql) {
  Check(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), db_, sql.c_str());
  return sqlite3_changes(db_);
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
