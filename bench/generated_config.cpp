#include "bench/generated_config.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "schema/version_template.h"
#include "storage/config_source.h"
#include "store/row_id.h"
#include "store/table.h"

namespace {
// A plausible cell for a column of the given type: numbers for Int and Float,
// the first choice of a list, a colour, or a short text.
std::string Cell(const std::string& type, int row, int column) {
  if (type == "Int") return std::to_string((row + column) % 1000);
  if (type == "Float") return std::to_string((row % 1000) * 0.25 + column);
  if (type == "Color") return row % 2 ? "Red" : "Blue";
  if (type.rfind("list(", 0) == 0) return type.substr(5, type.find_first_of(",)") - 5);
  if (type.rfind("listQuery(", 0) == 0) return "Default";
  return "text" + std::to_string(row % 997);
}

using Types = std::vector<std::string>;

std::string ParameterRow(const Types& types, int row) {
  std::string value = "ParameterSet" + std::to_string(row % kParameterSets + 1) + "|P" + std::to_string(row);
  // Column 0 is the set and 1 the key, above; the last, the PropertyBag, stays empty.
  for (size_t column = 2; column < types.size(); ++column)
    value += '|' + (column + 1 < types.size() ? Cell(types[column], row, static_cast<int>(column)) : "");
  return value;
}

std::string EventRow(const Types&, int row) {
  char time[32];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d", row / 3600000 % 24, row / 60000 % 60, row / 1000 % 60,
                row % 1000);
  return "Flight" + std::to_string(row % 10) + "|Sub" + std::to_string(row % 5) + "|user" + std::to_string(row % 7) +
         "|" + time + "|Event marker " + std::to_string(row) + " noted during the test point|";
}

void AddRows(tAtrribute* root, const char* tableName, int rows, std::string (*rowText)(const Types&, int)) {
  tTable table;
  if (FAILED(OpenTable(root, tableName, table))) std::abort();
  Types types;
  std::stringstream typeList(table.types->value.c_str());
  for (std::string type; std::getline(typeList, type, '|');) types.push_back(type);
  tString id;
  for (int row = 0; row < rows; ++row) {
    MakeRowId(id);
    tAtrribute::CreateChild(table.contents, id.c_str(), rowText(types, row).c_str(), kRowUnchanged);
  }
}
}  // namespace

GeneratedConfig GenerateConfig(const std::string& folder, int rows) {
  const std::string stem = folder + "/config-" + std::to_string(rows);
  GeneratedConfig config{stem + ".cfg", stem + ".zip"};
  if (std::filesystem::exists(config.textPath) && std::filesystem::exists(config.archivePath)) return config;
  std::filesystem::create_directories(folder);
  std::ofstream(config.textPath) << VersionTemplate(5);
  tConfigSource source;
  tAtrribute* root = source.LoadAttributesFromFile(config.textPath.c_str());
  if (!root) std::abort();
  AddRows(root, "ParameterDefaults", rows, ParameterRow);
  AddRows(root, "EventMarkerLog", rows, EventRow);
  std::filesystem::remove(config.archivePath);
  if (source.SaveToFile(config.textPath.c_str()) != S_OK || source.SaveToFile(config.archivePath.c_str()) != S_OK)
    std::abort();
  return config;
}
