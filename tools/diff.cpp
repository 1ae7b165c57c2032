// vexacfg diff: what changed between two configuration files, table by table and
// row by row. Rows equal in both files are set aside first (whatever their order
// or row ids); the rest are matched by their key column, as changed rows, and
// what is left over was added or removed.
#include <deque>
#include <memory>
#include <nlohmann/json.hpp>
#include <unordered_map>

#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/diff.h"
#include "tools/loaded_file.h"
#include "tools/select_columns.h"
#include "tools/tool_session.h"

namespace {
struct DiffOptions {
  std::string a, b, table, key, mode = "list";
};

using Json = nlohmann::ordered_json;

// Collects the differences as JSON objects and prints them in the mode.
class Report {
 public:
  explicit Report(bool json) : json_(json) {}
  void Add(Json change, const std::string& line) {
    ++count_;
    if (json_) items_.push_back(std::move(change));
    else std::fputs((line + "\n").c_str(), stdout);
  }
  int Finish() {
    if (json_) std::fputs(FormatJson().c_str(), stdout);
    return count_ ? 1 : 0;
  }
  const std::vector<Json>& Items() const { return items_; }

 private:
  std::string FormatJson() const {
    std::string text = "[";
    for (size_t i = 0; i < items_.size(); ++i)
      text += (i ? ",\n" : "\n") + items_[i].dump(-1, ' ', false, Json::error_handler_t::replace);
    return text + (items_.empty() ? "]\n" : "\n]\n");
  }
  bool json_;
  size_t count_ = 0;
  std::vector<Json> items_;
};

std::string At(const Cells& cells, int index) { return index >= 0 && index < int(cells.size()) ? cells[index] : ""; }

int IndexOf(const Cells& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i)
    if (SameName(names[i], name)) return int(i);
  return -1;
}

Json RowObject(const Cells& names, const Cells& cells) {
  Json row = Json::object();
  for (size_t i = 0; i < cells.size(); ++i) row[i < names.size() ? names[i] : "column" + std::to_string(i + 1)] = cells[i];
  return row;
}

class TableDiff {
 public:
  TableDiff(const TableText& a, const TableText& b, Report& report)
      : a_(a), b_(b), report_(report), columnsA_(SplitCells(a.definition)), columnsB_(SplitCells(b.definition)) {
    for (const std::string& column : columnsA_) inB_.push_back(IndexOf(columnsB_, column));
  }

  // False when the key column is in neither definition.
  bool Run(const std::string& keyName) {
    if (!SameNames(a_.definition, b_.definition)) Section("columns", a_.definition, b_.definition);
    if (!SameNames(a_.types, b_.types)) Section("types", a_.types, b_.types);
    keyA_ = keyName.empty() ? 0 : IndexOf(columnsA_, keyName);
    if (keyA_ < 0 || keyA_ >= int(columnsA_.size()) || inB_[keyA_] < 0) {
      if (!keyName.empty()) return false;
      keyA_ = -1;
    }
    Compare();
    return true;
  }

 private:
  static bool SameNames(const std::string& a, const std::string& b) { return SameName(a, b); }

  void Section(const char* what, const std::string& from, const std::string& to) {
    report_.Add({{"table", a_.name}, {"change", what}, {"from", from}, {"to", to}},
                a_.name + ": " + what + " " + from + " -> " + to);
  }

  // The cells of a row of B in the column order of A, for the columns both have.
  std::string Common(const Cells& cells, bool fromB) const {
    std::string text;
    for (size_t i = 0; i < inB_.size(); ++i)
      if (inB_[i] >= 0) text += At(cells, fromB ? inB_[i] : int(i)) + "|";
    return text;
  }

  void Compare() {
    std::vector<Cells> rowsA, rowsB;
    for (const auto& row : a_.rows) rowsA.push_back(SplitCells(row.value));
    for (const auto& row : b_.rows) rowsB.push_back(SplitCells(row.value));
    std::unordered_map<std::string, int> inB, matched;
    for (const Cells& row : rowsB) ++inB[Common(row, true)];
    std::vector<bool> equalA(rowsA.size()), equalB(rowsB.size());
    for (size_t i = 0; i < rowsA.size(); ++i) {
      const std::string common = Common(rowsA[i], false);
      auto found = inB.find(common);
      if (found != inB.end() && found->second > 0) --found->second, ++matched[common], equalA[i] = true;
    }
    std::unordered_map<std::string, std::deque<size_t>> byKey;
    for (size_t i = 0; i < rowsB.size(); ++i) {
      auto found = matched.find(Common(rowsB[i], true));
      if (found != matched.end() && found->second > 0) --found->second, equalB[i] = true;
      else if (keyA_ >= 0) byKey[At(rowsB[i], inB_[keyA_])].push_back(i);
    }
    for (size_t i = 0; i < rowsA.size(); ++i) {
      if (equalA[i]) continue;
      auto partner = keyA_ >= 0 ? byKey.find(At(rowsA[i], keyA_)) : byKey.end();
      if (partner == byKey.end() || partner->second.empty()) {
        report_.Add({{"table", a_.name}, {"change", "removed"}, {"row", RowObject(columnsA_, rowsA[i])}},
                    a_.name + ": removed " + a_.rows[i].value);
        continue;
      }
      const size_t j = partner->second.front();
      partner->second.pop_front();
      equalB[j] = true;
      Changed(rowsA[i], rowsB[j]);
    }
    for (size_t j = 0; j < rowsB.size(); ++j)
      if (!equalB[j])
        report_.Add({{"table", a_.name}, {"change", "added"}, {"row", RowObject(columnsB_, rowsB[j])}},
                    a_.name + ": added " + b_.rows[j].value);
  }

  void Changed(const Cells& rowA, const Cells& rowB) {
    Json cells = Json::object();
    std::string line = a_.name + ": changed " + At(rowA, keyA_) + ":";
    for (size_t i = 0; i < inB_.size(); ++i) {
      if (inB_[i] < 0 || At(rowA, int(i)) == At(rowB, inB_[i])) continue;
      cells[columnsA_[i]] = {{"from", At(rowA, int(i))}, {"to", At(rowB, inB_[i])}};
      line += (cells.size() > 1 ? ", " : " ") + columnsA_[i] + " \"" + At(rowA, int(i)) + "\" -> \"" +
              At(rowB, inB_[i]) + "\"";
    }
    report_.Add({{"table", a_.name}, {"change", "changed"}, {"key", At(rowA, keyA_)}, {"cells", cells}}, line);
  }

  const TableText& a_;
  const TableText& b_;
  Report& report_;
  Cells columnsA_, columnsB_;
  std::vector<int> inB_;  // per column of A, its position in B or -1
  int keyA_ = 0;
};

const TableText* Find(const std::vector<TableText>& tables, const std::string& name) {
  for (const TableText& table : tables)
    if (SameName(table.name, name)) return &table;
  return nullptr;
}

// Adds the changes from `a` to `b` to the report; false, naming the table, when
// the key column is missing from it.
bool CompareTables(const std::vector<TableText>& a, const std::vector<TableText>& b, const DiffOptions& options,
                   Report& report, std::string& keylessTable) {
  auto wanted = [&](const TableText& table) { return options.table.empty() || SameName(table.name, options.table); };
  for (const TableText& table : a) {
    if (!wanted(table)) continue;
    const TableText* other = Find(b, table.name);
    if (!other) {
      report.Add({{"table", table.name}, {"change", "table removed"}}, table.name + ": table removed");
    } else if (!TableDiff(table, *other, report).Run(options.key)) {
      keylessTable = table.name;
      return false;
    }
  }
  for (const TableText& table : b)
    if (wanted(table) && !Find(a, table.name))
      report.Add({{"table", table.name}, {"change", "table added"}}, table.name + ": table added");
  return true;
}

int Diff(const DiffOptions& options) {
  LoadedFile a, b;
  std::string error;
  if (!a.Load(options.a, error)) return FailWith("cannot load " + options.a + ": " + error, kExitUsage);
  if (!b.Load(options.b, error)) return FailWith("cannot load " + options.b + ": " + error, kExitUsage);
  if (!options.table.empty() && !Find(a.Tables(), options.table) && !Find(b.Tables(), options.table))
    return FailWith("no table " + options.table + " in either file", kExitUsage);
  Report report(options.mode == "json");
  if (std::string table; !CompareTables(a.Tables(), b.Tables(), options, report, table))
    return FailWith("no column " + options.key + " in table " + table + " of both files", kExitUsage);
  return report.Finish();
}
}  // namespace

void AddDiffCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<DiffOptions>();
  CLI::App* command = AddCommand(
      app, "diff A B [--table T] [--key COLUMN] [--mode list|json]", "Show what changed between two files",
      "Compares two configuration files table by table and row by row: tables added or removed, column and\n"
      "type lists that differ, and rows added, removed or changed (the changed cells named). Rows are\n"
      "matched by the key column, by default the first. Exit code 0 when the files are equal, 1 when they\n"
      "differ, 2 on error.");
  command->add_option("A", options->a, "The first file")->required();
  command->add_option("B", options->b, "The second file")->required();
  command->add_option("--table", options->table, "Only this table");
  command->add_option("--key", options->key, "The column that matches rows");
  command->add_option("--mode", options->mode, "list (default) or json")->check(CLI::IsMember({"list", "json"}));
  command->callback([options, &exitCode] { exitCode = Diff(*options); });
}

nlohmann::ordered_json TableChanges(const std::vector<TableText>& a, const std::vector<TableText>& b) {
  Report report(true);
  std::string unused;
  CompareTables(a, b, DiffOptions(), report, unused);  // the first column is every table's key
  return report.Items();
}
