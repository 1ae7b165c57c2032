// The output modes of result rows: list (cells joined by "|", the default),
// csv, tsv, json, table, box, markdown and line.
#pragma once
#include <string>
#include <vector>

using Cells = std::vector<std::string>;

struct OutputOptions {
  std::string mode = "list";
  bool header = false;  // list, csv and tsv only; the other modes always name the columns
  bool changes = false;  // after each update or delete, the rows it added, changed and deleted
};

const std::vector<std::string>& OutputModes();

// The rows under their column names, as the mode writes them. Rows may be wider
// or narrower than the names.
std::string FormatRows(const OutputOptions& options, const Cells& names, const std::vector<Cells>& rows);

// The cell as a CSV field: quoted when it holds a comma, quote or line break.
std::string CsvField(const std::string& cell);
