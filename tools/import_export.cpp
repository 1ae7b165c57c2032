// vexacfg export and import: a whole table as CSV (or another output mode), and
// CSV rows added to a table, all of them or none.
#include <fstream>
#include <memory>

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
  if (HRESULT hr = session.Run(statement, options.output); FAILED(hr)) return session.Fail(hr, statement);
  return 0;
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

bool SameNames(const Cells& a, const Cells& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!SameName(a[i], b[i])) return false;
  return true;
}

// The rows of the file, or a message per bad line.
bool ReadRows(const std::string& file, const Cells& columns, std::vector<std::string>& rows,
              std::vector<std::string>& errors) {
  std::ifstream in(FileSystemPath(file), std::ios::binary);
  if (!in) {
    errors.push_back("cannot read " + file);
    return false;
  }
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Cells cells;
    std::string error;
    if (ParseCsvLine(line, cells, error) && number == 1 && SameNames(cells, columns)) continue;
    if (error.empty() && cells.size() != columns.size())
      error = std::to_string(cells.size()) + " fields where the table has " + std::to_string(columns.size()) +
              " columns";
    std::string row;
    for (size_t i = 0; error.empty() && i < cells.size(); ++i) {
      if (cells[i].find('|') != std::string::npos) error = "field " + std::to_string(i + 1) + " holds a \"|\"";
      row += (i ? "|" : "") + cells[i];
    }
    if (error.empty()) rows.push_back(row);
    else errors.push_back(file + ":" + std::to_string(number) + ": " + error);
  }
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
    if (HRESULT hr = session.Run(statement, {}); FAILED(hr)) return session.Fail(hr, statement);
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
  command = AddCommand(app, "import PATH TABLE FILE.csv", "Add the rows of a CSV file to a table",
                       "Adds one row to TABLE per line of the CSV file and saves the file (a .Backup copy is made "
                       "first).\nA first line that names the table's columns is skipped. A line whose field count "
                       "differs from the\ntable's columns, or that is not CSV, is reported with its line number, and "
                       "then nothing is written.");
  command->add_option("PATH", importing->path, "The configuration file")->required();
  command->add_option("TABLE", importing->table, "The table")->required();
  command->add_option("FILE", importing->file, "The CSV file")->required();
  command->callback([importing, &exitCode] { exitCode = Import(*importing); });
}
