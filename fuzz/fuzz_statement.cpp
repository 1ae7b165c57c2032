// Statements of the query language against a loaded version 5 template. Each
// input line is one statement; a line "commit" commits every table instead (the
// engine refuses it as a statement). The tree is loaded afresh for every input,
// so that any finding reproduces from its input alone.
#include <string>

#include "fuzz/scratch_file.h"
#include "query/query_engine.h"
#include "schema/version_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile file(".cfg");
  static const std::string& text = VersionTemplate(5);
  static const std::string& path = file.Write(text.data(), text.size());
  tConfigSource source;
  if (!source.LoadAttributesFromFile(path.c_str())) return 0;
  tSqlQueryEngine engine(&source);
  ResultSet results;
  std::string statement;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && data[i] != '\n') {
      statement += static_cast<char>(data[i]);
      continue;
    }
    if (statement == "commit") engine.Commit();
    else engine.Query(statement.c_str(), &results);
    statement.clear();
  }
  return 0;
}
