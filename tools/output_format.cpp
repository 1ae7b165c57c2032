#include "tools/output_format.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace {
std::string Joined(const Cells& cells, const std::string& separator, std::string (*field)(const std::string&)) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) line += (i ? separator : "") + (field ? field(cells[i]) : cells[i]);
  return line;
}

// Terminal columns taken by UTF-8 text: one per character.
size_t Width(const std::string& text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

std::string Repeated(const std::string& piece, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// Names filled up to the widest row, so that every cell has a name.
Cells AllNames(const Cells& names, const std::vector<Cells>& rows) {
  size_t columns = names.size();
  for (const Cells& row : rows) columns = std::max(columns, row.size());
  Cells all = names;
  for (size_t i = 0; i < columns; ++i) {
    if (i == all.size()) all.emplace_back();
    if (all[i].empty()) all[i] = "column" + std::to_string(i + 1);
  }
  return all;
}

struct Ruling {
  std::string left, middle, right, line;
};

// table, box and markdown: padded cells between vertical bars, with rulings.
std::string Grid(const Cells& names, const std::vector<Cells>& rows, const std::string& bar, const Ruling* top,
                 const Ruling& underHeader, const Ruling* bottom) {
  std::vector<size_t> widths;
  for (const std::string& name : names) widths.push_back(Width(name));
  for (const Cells& row : rows)
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
  auto ruling = [&](const Ruling& r) {
    std::string text = r.left;
    for (size_t i = 0; i < widths.size(); ++i) text += (i ? r.middle : "") + Repeated(r.line, widths[i] + 2);
    return text + r.right + "\n";
  };
  auto line = [&](const Cells& cells) {
    std::string text = bar;
    for (size_t i = 0; i < widths.size(); ++i) {
      const std::string cell = i < cells.size() ? cells[i] : "";
      text += " " + cell + std::string(widths[i] - Width(cell), ' ') + " " + bar;
    }
    return text + "\n";
  };
  std::string text = top ? ruling(*top) : "";
  text += line(names) + ruling(underHeader);
  for (const Cells& row : rows) text += line(row);
  return text + (bottom ? ruling(*bottom) : "");
}

std::string Json(const Cells& names, const std::vector<Cells>& rows) {
  std::string text = "[";
  for (size_t r = 0; r < rows.size(); ++r) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (size_t i = 0; i < rows[r].size(); ++i) object[names[i]] = rows[r][i];
    text += (r ? ",\n" : "\n") + object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
  return text + (rows.empty() ? "]\n" : "\n]\n");
}

std::string Lines(const Cells& names, const std::vector<Cells>& rows) {
  size_t width = 0;
  for (const std::string& name : names) width = std::max(width, Width(name));
  std::string text;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r) text += "\n";
    for (size_t i = 0; i < rows[r].size(); ++i)
      text += std::string(width - Width(names[i]), ' ') + names[i] + " = " + rows[r][i] + "\n";
  }
  return text;
}
}  // namespace

const std::vector<std::string>& OutputModes() {
  static const std::vector<std::string> modes = {"list", "csv", "tsv", "json", "table", "box", "markdown", "line"};
  return modes;
}

std::string CsvField(const std::string& cell) {
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string FormatRows(const OutputOptions& options, const Cells& names, const std::vector<Cells>& rows) {
  const std::string& mode = options.mode;
  if (mode == "json") return Json(AllNames(names, rows), rows);
  if (rows.empty()) return "";
  if (mode == "table") {
    const Ruling plus{"+", "+", "+", "-"};
    return Grid(AllNames(names, rows), rows, "|", &plus, plus, &plus);
  }
  if (mode == "box") {
    const Ruling top{"┌", "┬", "┐", "─"}, middle{"├", "┼", "┤", "─"}, bottom{"└", "┴", "┘", "─"};
    return Grid(AllNames(names, rows), rows, "│", &top, middle, &bottom);
  }
  if (mode == "markdown") return Grid(AllNames(names, rows), rows, "|", nullptr, {"|", "|", "|", "-"}, nullptr);
  if (mode == "line") return Lines(AllNames(names, rows), rows);

  std::string separator = "|", end = "\n";
  std::string (*field)(const std::string&) = nullptr;
  if (mode == "csv") separator = ",", end = "\r\n", field = CsvField;
  if (mode == "tsv") separator = "\t";
  std::string text = options.header ? Joined(names, separator, field) + end : "";
  for (const Cells& row : rows) text += Joined(row, separator, field) + end;
  return text;
}
