// Statements of the query language against a loaded version 5 template. Each
// input line is one statement; a line "commit" commits every table instead (the
// engine refuses it as a statement). The statements run on two trees of the
// same file, one whose EventMarkerLog has a key index on several columns; every
// select by a key value must then find through the index what the plain walk
// finds. The trees are loaded afresh for every input, so that any finding
// reproduces from its input alone.
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fuzz/scratch_file.h"
#include "query/query_engine.h"
#include "schema/version_template.h"

namespace {
constexpr const char* kKeyColumns[] = {"Group", "SubGroup", "User"};

std::vector<std::string> Rows(tSqlQueryEngine& engine, const std::string& statement) {
  ResultSet results;
  std::vector<std::string> rows;
  if (engine.Query(statement.c_str(), &results) != S_OK) return rows;
  results.Rewind();
  while (const auto* row = results.Next()) rows.emplace_back(row->text.c_str());
  std::sort(rows.begin(), rows.end());
  return rows;
}

// Every key value that a row holds, found by a select on each tree.
void CheckKeyLookUps(tSqlQueryEngine& indexed, tSqlQueryEngine& plain) {
  std::set<std::string> values;
  for (const char* column : kKeyColumns)
    for (const std::string& value : Rows(plain, std::string("select ") + column + " from EventMarkerLog"))
      if (value.find_first_of("'*?|") == std::string::npos) values.insert(value);
  for (const char* column : kKeyColumns) {
    for (const std::string& value : values) {
      const std::string select = std::string("select * from EventMarkerLog where ") + column + " = '" + value + "'";
      if (Rows(indexed, select) != Rows(plain, select)) std::abort();
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile file(".cfg");
  static const std::string& text = VersionTemplate(5);
  static const std::string& path = file.Write(text.data(), text.size());
  tConfigSource indexedSource, plainSource;
  if (!indexedSource.LoadAttributesFromFile(path.c_str()) || !plainSource.LoadAttributesFromFile(path.c_str())) return 0;
  tSqlQueryEngine indexed(&indexedSource), plain(&plainSource);
  if (indexed.Query("sort table EventMarkerLog on Group,SubGroup,User") != S_OK) std::abort();
  ResultSet results;
  std::string statement;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && data[i] != '\n') {
      statement += static_cast<char>(data[i]);
      continue;
    }
    for (tSqlQueryEngine* engine : {&indexed, &plain}) {
      if (statement == "commit") engine->Commit();
      else engine->Query(statement.c_str(), &results);
    }
    statement.clear();
  }
  CheckKeyLookUps(indexed, plain);
  return 0;
}
