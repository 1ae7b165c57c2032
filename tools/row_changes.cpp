#include "tools/row_changes.h"

#include <cctype>

#include "store/table.h"

namespace {
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Word(const std::string& text, size_t from) {
  const size_t start = text.find_first_not_of(" \t", from);
  if (start == std::string::npos) return "";
  return text.substr(start, text.find_first_of(" \t", start) - start);
}

// The table of an update ("update T set ...") or a delete ("delete ... from T ...").
std::string ChangedTable(const std::string& statement) {
  const std::string lower = Lower(statement);
  const std::string keyword = Word(lower, 0);
  if (keyword == "update" || keyword == "updat2" || keyword == "updat3")
    return Word(statement, lower.find(keyword) + keyword.size());
  if (keyword != "delete") return "";
  const size_t from = lower.find("from ");
  return from == std::string::npos ? "" : Word(statement, from + 5);
}

std::unordered_map<std::string, std::string> LiveRows(tAtrribute* root, const std::string& name) {
  std::unordered_map<std::string, std::string> rows;
  tTable table;
  if (name.empty() || FAILED(OpenTable(root, name.c_str(), table))) return rows;
  table.contents->BeginChildren();
  while (tAtrribute* row = table.contents->NextChild())
    if (row->state != kRowDeleted) rows[row->name.c_str()] = row->value.c_str();
  return rows;
}
}  // namespace

RowChanges::RowChanges(tAtrribute* root, const std::string& statement)
    : root_(root), table_(ChangedTable(statement)), before_(LiveRows(root, table_)) {}

std::string RowChanges::Summary() const {
  size_t added = 0, changed = 0, kept = 0;
  for (const auto& [id, value] : LiveRows(root_, table_)) {
    const auto before = before_.find(id);
    if (before == before_.end()) {
      ++added;
    } else {
      ++kept;
      changed += before->second != value;
    }
  }
  return "changes: " + std::to_string(added) + " added, " + std::to_string(changed) + " changed, " +
         std::to_string(before_.size() - kept) + " deleted";
}
