#include "tools/workbench.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/text_conversion.h"
#include "platform/trace_scope.h"
#include "store/table.h"
#include "tools/diff.h"
#include "tools/failure_cause.h"
#include "tools/loaded_file.h"
#include "tools/schema.h"
#include "tools/select_columns.h"
#include "tools/trace_recorder.h"

namespace {
constexpr size_t kMaxPageRows = 1000;

std::string Joined(const Cells& cells) {
  std::string text;
  for (size_t i = 0; i < cells.size(); ++i) text += (i ? "|" : "") + cells[i];
  return text;
}

// The engine's words for a failed statement: the status and the traced cause.
std::string FailureText(const std::string& statement, HRESULT hr) {
  const std::string cause = StatementFailureCause(statement, hr, RecordedTraces());
  return DescribeHResult(hr) + (cause.empty() ? "" : ": " + cause);
}

// Row ids are made by the engine; a text that could end the where clause is none.
void RequireRowId(const std::string& id) {
  if (id.empty() || id.find_first_of(" \t\r\n'|") != std::string::npos)
    throw WorkbenchRefusal(400, "not a row id: " + id);
}
}  // namespace

std::string UnstorableText(const std::string& utf8) {
  for (wchar_t c : WideFromUtf8(utf8)) {
    unsigned char byte;
    if (c == L'\n' || c == L'\r') return "a line break cannot be stored in a cell";
    if (c == L'|') return "\"|\" separates cells and cannot be stored in one";
    if (!Windows1252FromWide(c, byte)) return "the character U+" + [&] {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(c));
      return std::string(hex);
    }() + " is not in Windows-1252, the file's character set";
  }
  return "";
}

Workbench::Workbench(ToolSession& session, std::string second, bool readOnly)
    : session_(session), second_(std::move(second)), readOnly_(readOnly) {}

Json Workbench::Info() const {
  return {{"file", session_.Path()},
          {"version", Utf8FromNarrow(session_.Config().VersionName().c_str())},
          {"second", second_},
          {"readOnly", readOnly_},
          {"unsaved", unsaved_},
          {"undo", undo_.size()}};
}

Json Workbench::Tables() const {
  tAtrribute* root = session_.Config().Root();
  Json tables = Json::array();
  for (const Cells& count : TableCounts(root)) {
    std::vector<Cells> schema;
    SchemaRows(root, count[0], schema);
    Json columns = Json::array(), types = Json::array();
    for (const Cells& column : schema) columns.push_back(column[1]), types.push_back(column[2]);
    tTable table;
    const bool changed = SUCCEEDED(OpenTable(root, NarrowFromUtf8(count[0]).c_str(), table)) &&
                         table.table->state == kTableModified;
    tables.push_back({{"name", count[0]},
                      {"rows", std::stoul(count[1])},
                      {"columns", columns},
                      {"types", types},
                      {"unsaved", changed}});
  }
  return tables;
}

void Workbench::RequireWritable() const {
  if (readOnly_) throw WorkbenchRefusal(403, "the workbench is read-only (--read-only)");
}

void Workbench::RequireTable(const std::string& table) const {
  std::vector<Cells> schema;
  if (table.empty() || !SchemaRows(session_.Config().Root(), table, schema))
    throw WorkbenchRefusal(404, "no table " + table);
}

std::vector<Cells> Workbench::Select(const std::string& statement) {
  Cells names;
  std::vector<Cells> rows;
  if (HRESULT hr = session_.Select(statement, names, rows); FAILED(hr))
    throw WorkbenchRefusal(422, FailureText(statement, hr));
  return rows;
}

void Workbench::Change(const std::string& statement) {
  RequireWritable();
  Select(statement);
  unsaved_ = true;
  cache_ = {};
}

Json Workbench::Page(const PageRequest& request) {
  RequireTable(request.table);
  Json columns = Json::array(), types = Json::array();
  std::vector<Cells> schema;
  SchemaRows(session_.Config().Root(), request.table, schema);
  // Named one by one, so that an order by finds its column among them.
  std::string statement = "System.RowNumber, System.RowState";
  for (const Cells& column : schema) {
    columns.push_back(column[1]), types.push_back(column[2]);
    statement += ", " + column[1];
  }
  statement += " from " + request.table;
  if (!request.where.empty()) statement += " where " + request.where;
  if (!request.orderBy.empty()) statement += " order by " + request.orderBy;
  const size_t limit = std::min(std::max<size_t>(request.limit, 1), kMaxPageRows);

  std::vector<Cells> rows;
  size_t total;
  if (request.where.empty() && request.orderBy.empty()) {
    // The table as it stands, read from the tree, which a page deep into it
    // reaches by walking the row list alone.
    tTable table;
    OpenTable(session_.Config().Root(), NarrowFromUtf8(request.table).c_str(), table);
    total = table.contents->ChildCount();
    table.contents->BeginChildren();
    size_t skipped = 0;
    while (skipped < request.offset && table.contents->NextChild()) ++skipped;
    for (tAtrribute* row; rows.size() < limit && (row = table.contents->NextChild());) {
      Cells cells = SplitCells(Utf8FromNarrow(row->value.c_str()));
      cells.insert(cells.begin(), {Utf8FromNarrow(row->name.c_str()), RowStateText(row->state)});
      rows.push_back(std::move(cells));
    }
  } else {
    // Filtered or ordered: every row once, kept for the pages that follow.
    statement = "select " + statement;
    if (cache_.statement != statement) cache_ = {statement, Select(statement)};
    total = cache_.rows.size();
    for (size_t i = request.offset; i < total && rows.size() < limit; ++i)
      rows.push_back(cache_.rows[request.descending ? total - 1 - i : i]);
  }
  Json page = Json::array();
  for (Cells& row : rows) {
    row.resize(std::max<size_t>(row.size(), 2));
    page.push_back({{"id", row[0]}, {"state", row[1]}, {"cells", Cells(row.begin() + 2, row.end())}});
  }
  return {{"table", request.table}, {"columns", columns}, {"types", types},
          {"total", total},         {"offset", request.offset}, {"rows", page}};
}

Json Workbench::Run(const std::string& statement) {
  if (!IsSelect(statement)) RequireWritable();
  // The one select that writes a file: it extracts an archive member into the temporary folder.
  std::string lower = statement;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("zball") != std::string::npos && lower.find("fullfilename") != std::string::npos)
    throw WorkbenchRefusal(403, "the workbench does not extract archive members");
  Cells names;
  std::vector<Cells> rows;
  const HRESULT hr = session_.Select(statement, names, rows);
  if (FAILED(hr)) return {{"error", FailureText(statement, hr)}};
  if (!IsSelect(statement)) {
    // Statements of the console cannot be taken back one by one.
    unsaved_ = true;
    undo_.clear();
    cache_ = {};
  }
  return {{"columns", names}, {"rows", rows}, {"status", DescribeHResult(hr)}};
}

std::string Workbench::RowValue(const std::string& table, const std::string& id) {
  RequireRowId(id);
  const std::vector<Cells> rows = Select("select * from " + table + " where System.RowNumber = " + id);
  if (rows.empty()) throw WorkbenchRefusal(404, "no row " + id);
  return Joined(rows.front());
}

Json Workbench::Edit(const std::string& table, const std::string& id, size_t column, const std::string& value) {
  RequireWritable();
  RequireTable(table);
  if (const std::string why = UnstorableText(value); !why.empty()) throw WorkbenchRefusal(400, why);
  const std::string before = RowValue(table, id);
  std::vector<Cells> schema;
  SchemaRows(session_.Config().Root(), table, schema);
  if (column >= schema.size()) throw WorkbenchRefusal(400, "no column " + std::to_string(column + 1));
  Cells cells = SplitCells(before);
  cells.resize(std::max(cells.size(), schema.size()));  // a row loaded narrower than its table
  cells[column] = value;
  Change("update " + table + " set * = " + Joined(cells) + " where System.RowNumber = " + id);
  undo_.push_back({table, id, before, false});
  return Info();
}

Json Workbench::AddRow(const std::string& table, const std::vector<std::string>& cells) {
  RequireWritable();
  RequireTable(table);
  for (const std::string& cell : cells)
    if (const std::string why = UnstorableText(cell); !why.empty()) throw WorkbenchRefusal(400, why);
  Change("update " + table + " set * = " + Joined(cells) + " where 0");
  // The row just added is the last new one in table order.
  const std::vector<Cells> added = Select("select System.RowNumber from " + table + " where System.RowState = New");
  if (!added.empty()) undo_.push_back({table, added.back()[0], "", true});
  Json info = Info();
  info["id"] = added.empty() ? "" : added.back()[0];
  return info;
}

Json Workbench::DeleteRow(const std::string& table, const std::string& id) {
  RequireWritable();
  RequireTable(table);
  const std::string before = RowValue(table, id);
  Change("delete * from " + table + " where System.RowNumber = " + id);
  undo_.push_back({table, id, before, false});
  return Info();
}

Json Workbench::Undo() {
  RequireWritable();
  if (undo_.empty()) throw WorkbenchRefusal(409, "nothing to undo since the last save");
  const struct Change last = undo_.back();
  // An edited or deleted row gets its value back (and counts as edited); an
  // added row is marked deleted, so the save leaves it out.
  if (last.added) Change("delete * from " + last.table + " where System.RowNumber = " + last.id);
  else Change("update " + last.table + " set * = " + last.before + " where System.RowNumber = " + last.id);
  undo_.pop_back();
  return Info();
}

Json Workbench::Save() {
  RequireWritable();
  if (HRESULT hr = session_.Save(); FAILED(hr))
    throw WorkbenchRefusal(500, DescribeHResult(hr) + ": " + TracedCause(RecordedTraces()));
  unsaved_ = false;
  undo_.clear();
  cache_ = {};
  return Info();
}

Json Workbench::Compare(const std::string& against) {
  const std::vector<TableText> inUse = TableTexts(session_.Config().Root());
  LoadedFile file;
  std::string error;
  if (against == "saved") {
    if (!file.Load(session_.Path(), error)) throw WorkbenchRefusal(500, "cannot load " + session_.Path() + ": " + error);
    return {{"from", session_.Path() + " (saved)"}, {"to", session_.Path()}, {"changes", TableChanges(file.Tables(), inUse)}};
  }
  if (against != "second" || second_.empty()) throw WorkbenchRefusal(400, "nothing to compare with");
  if (!file.Load(second_, error)) throw WorkbenchRefusal(500, "cannot load " + second_ + ": " + error);
  return {{"from", session_.Path()}, {"to", second_}, {"changes", TableChanges(inUse, file.Tables())}};
}
