// What the browser workbench does to the open file, as JSON in and out: the
// tables, pages of a table, statements of the console, edits with their undo,
// saving and the comparison. Every change goes through the query engine. Not
// thread-safe: the server calls it under one lock.
#pragma once
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/tool_session.h"

using Json = nlohmann::ordered_json;

// A request the workbench refuses: `status` is the HTTP status to answer with.
class WorkbenchRefusal : public std::runtime_error {
 public:
  WorkbenchRefusal(int status, const std::string& message) : std::runtime_error(message), status(status) {}
  int status;
};

struct PageRequest {
  std::string table, where, orderBy;
  bool descending = false;
  size_t offset = 0, limit = 100;
};

class Workbench {
 public:
  // `second` is the file to compare with, or empty.
  Workbench(ToolSession& session, std::string second, bool readOnly);

  Json Info() const;
  // Each table: name, rows, columns, types, unsaved.
  Json Tables() const;
  // One page of rows (id, state, cells) under the table's columns and types, and
  // the number of rows the filter lets through.
  Json Page(const PageRequest& request);
  // A statement of the console: its rows under their column names.
  Json Run(const std::string& statement);
  Json Edit(const std::string& table, const std::string& id, size_t column, const std::string& value);
  Json AddRow(const std::string& table, const std::vector<std::string>& cells);
  Json DeleteRow(const std::string& table, const std::string& id);
  // Takes back the last edit, added or deleted row since the last save.
  Json Undo();
  Json Save();
  // The changes from the saved file to the file in use ("saved"), or from the
  // file in use to the second file ("second").
  Json Compare(const std::string& against);
  bool Unsaved() const { return unsaved_; }

 private:
  struct Change {
    std::string table, id, before;  // `before` empty for an added row
    bool added = false;
  };
  struct CachedRows {
    std::string statement;
    std::vector<Cells> rows;
  };
  void RequireWritable() const;
  void RequireTable(const std::string& table) const;
  std::vector<Cells> Select(const std::string& statement);
  void Change(const std::string& statement);
  std::string RowValue(const std::string& table, const std::string& id);

  ToolSession& session_;
  std::string second_;
  bool readOnly_;
  bool unsaved_ = false;
  std::vector<struct Change> undo_;
  CachedRows cache_;
};

// Why the file cannot hold the cell text, or empty when it can: a line break, a
// "|" (which would split the cell) or a character outside Windows-1252.
std::string UnstorableText(const std::string& utf8);
