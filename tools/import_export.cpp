// vexacfg export and import: a whole table as CSV (or another output mode), and
// CSV rows added to a table, all of them or none.
#include <algorithm>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "platform/native_file.h"
#include "platform/text_conversion.h"
#include "store/table.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/loaded_file.h"
#include "tools/select_columns.h"
#include "tools/tool_session.h"

namespace {
struct ExportOptions {
  std::string path, table;
  OutputOptions output{"csv", true};
};

int Export(const ExportOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  const std::string statement = "select * from " + options.table;
  return session.Run(statement, options.output) == ToolSession::Outcome::kDone ? kExitSuccess : kExitFailure;
}

// The fields of one CSV line (RFC 4180, without line breaks inside fields);
// false with the reason when the line is malformed.
bool ParseCsvLine(const std::string& line, Cells& cells, std::string& error) {
  cells.assign(1, "");
  bool quoted = false, wasQuoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') cells.back() += c;
      else if (i + 1 < line.size() && line[i + 1] == '"') cells.back() += '"', ++i;
      else quoted = false;
    } else if (c == ',') {
      cells.emplace_back();
      wasQuoted = false;
    } else if (c == '"' && cells.back().empty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (wasQuoted || c == '"') {
      error = "a quote must enclose the whole field";
      return false;
    } else {
      cells.back() += c;
    }
  }
  if (quoted) error = "a quoted field is not closed on its line";
  return !quoted;
}

// The position of each named column in the table, when every name is one of
// its columns and none comes twice; empty otherwise.
std::vector<size_t> ColumnPositions(const Cells& names, const Cells& columns) {
  std::vector<size_t> positions;
  for (const std::string& name : names) {
    size_t at = 0;
    while (at < columns.size() && !SameName(name, columns[at])) ++at;
    if (at == columns.size() || std::find(positions.begin(), positions.end(), at) != positions.end()) return {};
    positions.push_back(at);
  }
  return positions;
}

// A row of the table from cells in the order of `positions`; columns left out stay empty.
bool JoinRow(const Cells& cells, const std::vector<size_t>& positions, size_t width, std::string& row,
             std::string& error) {
  Cells ordered(width);
  for (size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].find('|') != std::string::npos) {
      error = "field " + std::to_string(i + 1) + " holds a \"|\"";
      return false;
    }
    ordered[positions[i]] = cells[i];
  }
  row.clear();
  for (size_t i = 0; i < width; ++i) row += (i ? "|" : "") + ordered[i];
  return true;
}

// The rows of a CSV file. A first line that names columns of the table (in any
// order) is its header, and the fields of each line go to the columns it names.
void ReadCsvRows(const std::string& file, std::istream& in, const Cells& columns, std::vector<std::string>& rows,
                 std::vector<std::string>& errors) {
  std::vector<size_t> positions(columns.size());
  for (size_t i = 0; i < positions.size(); ++i) positions[i] = i;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Cells cells;
    std::string error, row;
    if (ParseCsvLine(line, cells, error) && number == 1) {
      if (std::vector<size_t> named = ColumnPositions(cells, columns); !named.empty()) {
        positions = named;
        continue;
      }
    }
    if (error.empty() && cells.size() != positions.size())
      error = std::to_string(cells.size()) + " fields where " +
              (positions.size() == columns.size() ? "the table has " : "the header names ") +
              std::to_string(positions.size()) + " columns";
    if (error.empty() && JoinRow(cells, positions, columns.size(), row, error)) rows.push_back(row);
    else errors.push_back(file + ":" + std::to_string(number) + ": " + error);
  }
}

// The rows of the JSON that export --mode json writes: an array of objects keyed by column name.
void ReadJsonRows(const std::string& file, std::istream& in, const Cells& columns, std::vector<std::string>& rows,
                  std::vector<std::string>& errors) {
  const nlohmann::json document = nlohmann::json::parse(in, nullptr, false);
  if (!document.is_array()) {
    errors.push_back(file + ": not an array of rows");
    return;
  }
  for (size_t number = 1; number <= document.size(); ++number) {
    const nlohmann::json& object = document[number - 1];
    const std::string where = file + ": row " + std::to_string(number) + ": ";
    if (!object.is_object()) {
      errors.push_back(where + "not an object");
      continue;
    }
    Cells names, cells;
    for (const auto& [name, value] : object.items()) {
      names.push_back(name);
      cells.push_back(value.is_string() ? value.get<std::string>() : value.dump());
    }
    const std::vector<size_t> positions = ColumnPositions(names, columns);
    std::string error, row;
    if (positions.empty() && !names.empty()) error = "its keys are not columns of the table";
    else if (JoinRow(cells, positions, columns.size(), row, error)) rows.push_back(row);
    if (!error.empty()) errors.push_back(where + error);
  }
}

// The rows of the file, or a message per bad line.
bool ReadRows(const std::string& file, const Cells& columns, std::vector<std::string>& rows,
              std::vector<std::string>& errors) {
  std::ifstream in(FileSystemPath(file), std::ios::binary);
  if (!in) {
    errors.push_back("cannot read " + file);
    return false;
  }
  in >> std::ws;
  if (in.peek() == '[') ReadJsonRows(file, in, columns, rows, errors);
  else ReadCsvRows(file, in, columns, rows, errors);
  return errors.empty();
}

struct ImportOptions {
  std::string path, table, file;
};

int Import(const ImportOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  tTable table;
  if (FAILED(OpenTable(session.Config().Root(), NarrowFromUtf8(options.table).c_str(), table)))
    return FailWith("no table " + options.table);
  std::vector<std::string> rows, errors;
  if (!ReadRows(options.file, SplitCells(Utf8FromNarrow(table.definition->value.c_str())), rows, errors)) {
    for (const std::string& error : errors) FailWith(error);
    return FailWith("nothing imported");
  }
  // The explicit where clause is the last one, so a value may itself hold "where ".
  for (const std::string& row : rows) {
    const std::string statement = "update " + options.table + " set * = " + row + " where 0";
    if (session.Run(statement, {}) != ToolSession::Outcome::kDone) return kExitFailure;
  }
  if (HRESULT hr = session.Save(); FAILED(hr)) return session.Fail(hr);
  return 0;
}
}  // namespace

void AddImportExportCommands(CLI::App& app, int& exitCode) {
  auto exporting = std::make_shared<ExportOptions>();
  CLI::App* command = AddCommand(app, "export PATH TABLE [--mode csv|json|...]", "Write a whole table as CSV or JSON",
                                 "Prints every row of TABLE, as CSV with a header line unless --mode names another "
                                 "output mode.");
  command->add_option("PATH", exporting->path, "The configuration file")->required();
  command->add_option("TABLE", exporting->table, "The table")->required();
  command->add_option("--mode", exporting->output.mode, "Output mode (default csv)")->check(CLI::IsMember(OutputModes()));
  command->callback([exporting, &exitCode] { exitCode = Export(*exporting); });

  auto importing = std::make_shared<ImportOptions>();
  command = AddCommand(app, "import PATH TABLE FILE.csv", "Add the rows of a CSV or JSON file to a table",
                       "Adds one row to TABLE per line of the CSV file and saves the file (a .Backup copy is made "
                       "first).\nA first line that names columns of the table, in any order, is a header: the fields "
                       "of each line\ngo to the columns it names, and the others stay empty. A line whose field count "
                       "differs, or that\nis not CSV, is reported with its line number, and then nothing is written. "
                       "A file that begins with\n\"[\" is read as the JSON that export --mode json writes.");
  command->add_option("PATH", importing->path, "The configuration file")->required();
  command->add_option("TABLE", importing->table, "The table")->required();
  command->add_option("FILE", importing->file, "The CSV file")->required();
  command->callback([importing, &exitCode] { exitCode = Import(*importing); });
}
