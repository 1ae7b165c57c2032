// A configuration loaded from a scratch text file, with a query engine bound to it.
#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "query/query_engine.h"
#include "storage/config_source.h"
#include "tests/test_support.h"

// A Table block of the configuration text; each row is "id cells".
inline std::string TableText(const std::string& name, const std::string& columns, const std::string& types,
                             const std::vector<std::string>& rows = {}) {
  std::string text = "Table " + name + "\n{\nTableDefinition " + columns + "\nTableType " + types + "\nTableContents\n";
  if (!rows.empty()) {
    text += "{\n";
    for (const std::string& row : rows) text += row + "\n";
    text += "}\n";
  }
  return text + "}\n";
}

// Parts: Name|Group|Count|Width typed String|String|Int|Float.
inline std::string PartsTable() {
  return TableText("Parts", "Name|Group|Count|Width", "String|String|Int|Float",
                   {"r1 Wing|Loads|3|10.5", "r2 tail|Loads|10|9", "r3 Flap|Trim|9|100", "r4 wing|Trim|1|2.5"});
}

struct QueryFixture {
  explicit QueryFixture(const std::string& tables = PartsTable()) {
    std::string path = dir.Path("pfConfig");
    WriteTextFile(path, "Root VersionFivePointZero\n{\n" + tables + "}\n");
    source.LoadAttributesFromFile(path.c_str());
  }

  HRESULT Run(const std::string& statement) { return engine.Query(statement.c_str(), &results); }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    results.Rewind();
    while (tQueryString* row = results.Next()) rows.push_back(row->text.c_str());
    return rows;
  }
  // The rows of a select that is expected to succeed with rows.
  std::vector<std::string> Select(const std::string& statement) {
    EXPECT_EQ(Run(statement), S_OK) << statement;
    return Rows();
  }

  ScratchDir dir;
  tConfigSource source;
  tSqlQueryEngine engine{&source};
  ResultSet results;
};

using Rows = std::vector<std::string>;
