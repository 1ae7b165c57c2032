#include "tools/select_columns.h"

#include <cctype>

#include "platform/text_conversion.h"
#include "store/table.h"

namespace {
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n\v\f");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

struct SelectParts {
  std::string columns, table;
};

// The column list and table of a select, cut as the engine cuts them.
bool CutSelect(const std::string& statement, SelectParts& parts) {
  const std::string lower = Lower(statement);
  size_t p = lower.find("select ");
  if (p == std::string::npos) return false;
  p += 7;
  if (lower.compare(p, 4, "top ") == 0) {
    p += 4;
    while (p < lower.size() && std::isdigit(static_cast<unsigned char>(lower[p]))) ++p;
  }
  if (size_t distinct = lower.find("distinct ", p); distinct != std::string::npos) p = distinct + 9;
  const size_t from = lower.find("from ", p);
  if (from == std::string::npos || from == 0) return false;
  parts.columns = Trimmed(statement.substr(p, from - 1 > p ? from - 1 - p : 0));
  size_t end = lower.find(" order by ", from);
  if (end == std::string::npos) end = lower.size();
  const size_t where = lower.find("where ", from);
  const size_t tableEnd = where != std::string::npos && where < end ? where - 1 : end;
  parts.table = Trimmed(statement.substr(from + 5, tableEnd > from + 5 ? tableEnd - from - 5 : 0));
  return true;
}

std::string Spelled(const std::string& token, const Cells& definition) {
  for (const std::string& column : definition)
    if (Lower(column) == Lower(token)) return column;
  return token;
}
}  // namespace

Cells SplitCells(const std::string& text) {
  Cells cells;
  size_t start = 0;
  for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
    cells.push_back(text.substr(start, bar - start));
  cells.push_back(text.substr(start));
  return cells;
}

bool IsSelect(const std::string& statement) {
  const std::string word = Lower(Trimmed(statement).substr(0, 7));
  return word == "select " || word == "select\t";
}

Cells SelectColumnNames(const std::string& statement, tAtrribute* root) {
  SelectParts parts;
  tTable table;
  if (!root || !IsSelect(statement) || !CutSelect(statement, parts) ||
      FAILED(OpenTable(root, NarrowFromUtf8(parts.table).c_str(), table)))
    return {};
  const Cells definition = SplitCells(Utf8FromNarrow(table.definition->value.c_str()));
  const std::string lowerColumns = Lower(parts.columns);
  if (lowerColumns.find("system.tabledefinition") != std::string::npos ||
      lowerColumns.find("system.tabletype") != std::string::npos)
    return definition;
  Cells names;
  size_t start = 0;
  while (start <= parts.columns.size()) {
    size_t comma = parts.columns.find(',', start);
    if (comma == std::string::npos) comma = parts.columns.size();
    std::string token = Trimmed(parts.columns.substr(start, comma - start));
    const std::string prefix = !token.empty() && token[0] == '$' ? "$" : "";
    token = token.substr(prefix.size());
    if (token == "*") {
      for (const std::string& column : definition) names.push_back(prefix + column);
    } else {
      names.push_back(prefix + Spelled(token, definition));
    }
    start = comma + 1;
  }
  return names;
}
