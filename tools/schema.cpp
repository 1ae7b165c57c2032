#include "tools/schema.h"

#include <memory>

#include "platform/text_conversion.h"
#include "store/table.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/select_columns.h"
#include "tools/tool_session.h"

const Cells kSchemaColumns = {"Table", "Column", "Type"};
const Cells kTableCountColumns = {"Table", "Rows"};

std::vector<Cells> TableCounts(tAtrribute* root) {
  std::vector<Cells> rows;
  root->BeginChildren();
  while (tAtrribute* node = root->NextChild()) {
    if (!node->name.Equals("Table")) continue;
    tTable table;
    const int count = SUCCEEDED(OpenTable(root, node->value.c_str(), table)) ? table.contents->ChildCount() : 0;
    rows.push_back({Utf8FromNarrow(node->value.c_str()), std::to_string(count)});
  }
  return rows;
}

bool SchemaRows(tAtrribute* root, const std::string& name, std::vector<Cells>& rows) {
  bool found = false;
  root->BeginChildren();
  while (tAtrribute* node = root->NextChild()) {
    tTable table;
    if (!node->name.Equals("Table") || (!name.empty() && !node->value.Equals(NarrowFromUtf8(name).c_str()))) continue;
    if (FAILED(OpenTable(root, node->value.c_str(), table))) continue;
    found = true;
    const Cells columns = SplitCells(Utf8FromNarrow(table.definition->value.c_str()));
    const Cells types = SplitCells(Utf8FromNarrow(table.types->value.c_str()));
    for (size_t i = 0; i < columns.size(); ++i)
      rows.push_back({Utf8FromNarrow(node->value.c_str()), columns[i], i < types.size() ? types[i] : ""});
  }
  return found;
}

namespace {
struct SchemaOptions {
  std::string path, table;
  OutputOptions output;
};

int Schema(const SchemaOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  std::vector<Cells> rows;
  if (!SchemaRows(session.Config().Root(), options.table, rows)) return FailWith("no table " + options.table);
  std::fputs(FormatRows(options.output, kSchemaColumns, rows).c_str(), stdout);
  return 0;
}
}  // namespace

void AddSchemaCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<SchemaOptions>();
  CLI::App* command = AddCommand(app, "schema PATH [TABLE] [--mode MODE] [--header]",
                                 "List the columns and types of the tables",
                                 "Prints one line per column of every table (or of TABLE): TABLE|COLUMN|TYPE.");
  command->add_option("PATH", options->path, "The configuration file")->required();
  command->add_option("TABLE", options->table, "Only this table");
  AddOutputOptions(command, options->output);
  command->callback([options, &exitCode] { exitCode = Schema(*options); });
}
