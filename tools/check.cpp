// vexacfg check: a file against the tables that a new file of its version has,
// and its text against the block structure of the format.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "schema/version_names.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/loaded_file.h"
#include "tools/select_columns.h"
#include "tools/tool_session.h"

namespace {
int Fields(const std::string& row) { return int(SplitCells(row).size()); }

// The tables a new file of the version has: created for the occasion, so that
// what the template and the statements after it make is compared alike.
bool ExpectedTables(int version, LoadedFile& expected, std::string& error) {
  const std::string path = CreatePrivateFile(TemporaryFolder() + "/vexacfg-check-");
  if (path.empty()) {
    error = "cannot create a file in the temporary folder";
    return false;
  }
  bool loaded = false;
  {
    ToolSession session;
    session.Config().put_Version(version);
    loaded = SUCCEEDED(session.Create(path)) && expected.Load(path, error);
  }
  RemoveNativeFile(path);
  return loaded;
}

void CheckTable(const TableText& table, const TableText* expected, std::vector<std::string>& findings) {
  const std::string& name = table.name;
  if (!table.hasDefinition) findings.push_back(name + ": no TableDefinition");
  if (!table.hasTypes) findings.push_back(name + ": no TableType");
  if (expected && table.hasDefinition && !SameName(table.definition, expected->definition))
    findings.push_back(name + ": columns " + table.definition + " where the template has " + expected->definition);
  if (expected && table.hasTypes && !SameName(table.types, expected->types))
    findings.push_back(name + ": types " + table.types + " where the template has " + expected->types);
  const int width = Fields(table.definition);
  // The templates themselves have a few such tables; only others are findings.
  if (!expected && table.hasTypes && Fields(table.types) != width)
    findings.push_back(name + ": " + std::to_string(Fields(table.types)) + " types for " + std::to_string(width) +
                       " columns");
  std::set<std::string> ids;
  for (const TableText::Row& row : table.rows) {
    if (!ids.insert(row.id).second) findings.push_back(name + ": row " + row.id + ": duplicate row id");
    if (Fields(row.value) != width)
      findings.push_back(name + ": row " + row.id + ": " + std::to_string(Fields(row.value)) + " cells where the " +
                         "definition has " + std::to_string(width));
  }
}

// Blocks left open at the end, and a closing brace at the top level, after
// which the loader reads nothing. Only plain text files are read this way.
void CheckBlocks(const std::string& path, std::vector<std::string>& findings) {
  std::ifstream in(FileSystemPath(path), std::ios::binary);
  std::vector<int> open;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    const size_t first = line.find_first_not_of(" \t\r\v\f");
    if (number == 1 && !SameName(line.substr(0, 4), "Root")) return;  // an archive
    if (number == 1 || first == std::string::npos) continue;
    if (line[first] == '{') open.push_back(number);
    if (line[first] != '}') continue;
    if (open.empty()) {
      findings.push_back("line " + std::to_string(number) + ": a closing brace outside every block ends the file");
      return;
    }
    open.pop_back();
  }
  if (!open.empty())
    findings.push_back("line " + std::to_string(open.back()) + ": the file ends inside the block opened here");
}

int Check(const std::string& path) {
  LoadedFile file;
  std::string error;
  if (!file.Load(path, error)) return FailWith("cannot load " + path + ": " + error);
  std::vector<std::string> findings;
  LoadedFile expected;
  const int version = VersionFromName(file.VersionName().c_str());
  if (version == 0) {
    findings.push_back("version name " + file.VersionName() + " is none of " + VersionName(3) + ", " + VersionName(4) +
                       ", " + VersionName(5));
  } else if (!ExpectedTables(version, expected, error)) {
    return FailWith("cannot make the template of version " + std::to_string(version) + ": " + error);
  }
  auto find = [](const std::vector<TableText>& tables, const std::string& name) -> const TableText* {
    for (const TableText& table : tables)
      if (SameName(table.name, name)) return &table;
    return nullptr;
  };
  std::set<std::string> seen;
  for (const TableText& table : file.Tables()) {
    std::string lower = table.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!seen.insert(lower).second) findings.push_back(table.name + ": a second table of this name");
    const TableText* template_ = find(expected.Tables(), table.name);
    if (version != 0 && !template_) findings.push_back(table.name + ": unknown table");
    CheckTable(table, template_, findings);
  }
  for (const TableText& table : expected.Tables())
    if (!find(file.Tables(), table.name)) findings.push_back(table.name + ": missing table");
  CheckBlocks(path, findings);
  for (const std::string& finding : findings) std::printf("%s\n", finding.c_str());
  return findings.empty() ? 0 : 1;
}
}  // namespace

void AddCheckCommand(CLI::App& app, int& exitCode) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = AddCommand(
      app, "check PATH", "Check a file against its version's tables",
      "Compares the file with a new file of its version: missing and unknown tables, column and type lists\n"
      "that differ, rows wider or narrower than their definition, duplicate row ids, and a text that ends\n"
      "inside a block. One line per finding, naming the table and row; exit code 0 when there is none.");
  command->add_option("PATH", *path, "The configuration file")->required();
  command->callback([path, &exitCode] { exitCode = Check(*path); });
}
