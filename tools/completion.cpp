#include "tools/completion.h"

#include <algorithm>
#include <set>

#include "store/table.h"
#include "tools/loaded_file.h"
#include "tools/select_columns.h"

const std::vector<DotCommand>& DotCommands() {
  static const std::vector<DotCommand> commands = {
      {".changes", ".changes on|off     after each update or delete, the rows it added, changed and deleted"},
      {".headers", ".headers on|off     column names above the rows (list, csv and tsv modes)"},
      {".help", ".help               this list"},
      {".mode", ".mode [MODE]        show or set the output mode: list csv tsv json table box markdown line"},
      {".quit", ".quit               leave (asks first when there are unsaved changes); also .exit and Ctrl-D"},
      {".read", ".read FILE          run the statements and commands of a file"},
      {".save", ".save [FILE]        save the file (the first save keeps the old one as PATH.Backup), or\n"
                "                    write the changes to FILE and leave the open file as it is"},
      {".schema", ".schema [TABLE]     the columns and types of every table, or of one"},
      {".tables", ".tables             each table and its row count"},
  };
  return commands;
}

namespace {
const char* const kKeywords[] = {"select", "update", "delete", "create", "drop", "sort", "from", "where", "set",
                                 "table", "top", "distinct", "order by", "on", "suggestedRowId", "System.RowNumber",
                                 "System.RowState", "System.ErrorState", "System.TableDefinition",
                                 "System.TableType"};

const char* const kStatementKeywords[] = {"select", "update", "delete", "create", "drop", "sort"};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// The words of the line that name tables of the file.
std::vector<std::string> NamedTables(const std::string& line, const std::vector<std::string>& tables) {
  std::vector<std::string> named;
  size_t start = 0;
  while (start < line.size()) {
    const size_t end = std::min(line.find_first_of(" \t,()=", start), line.size());
    const std::string word = line.substr(start, end - start);
    for (const std::string& table : tables)
      if (SameName(word, table)) named.push_back(table);
    start = end + 1;
  }
  return named;
}
}  // namespace

std::vector<std::string> Completions(const std::string& line, const std::string& word, tAtrribute* root) {
  if (word.empty()) return {};
  std::set<std::string> candidates;
  auto offer = [&](const std::string& name) {
    if (StartsWith(name, word)) candidates.insert(name);
  };
  if (line.size() == word.size() && word[0] == '.') {
    for (const DotCommand& command : DotCommands()) offer(command.name);
    return {candidates.begin(), candidates.end()};
  }
  // A statement begins with its keyword, which then completes alone, with its blank.
  if (line.find_first_not_of(" \t") == line.size() - word.size()) {
    for (const char* keyword : kStatementKeywords) offer(keyword);
    return {candidates.begin(), candidates.end()};
  }
  for (const char* keyword : kKeywords) offer(keyword);
  std::vector<std::string> tables;
  if (root) {
    root->BeginChildren();
    while (tAtrribute* node = root->NextChild())
      if (node->name.Equals("Table")) tables.push_back(node->value.c_str());
  }
  for (const std::string& table : tables) offer(table);
  std::vector<std::string> named = NamedTables(line, tables);
  if (named.empty()) named = tables;
  for (const std::string& name : named) {
    tTable table;
    if (SUCCEEDED(OpenTable(root, name.c_str(), table)))
      for (const std::string& column : SplitCells(table.definition->value.c_str())) offer(column);
  }
  return {candidates.begin(), candidates.end()};
}
