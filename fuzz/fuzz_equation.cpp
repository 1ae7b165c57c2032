// The where-clause evaluator. Input lines: the column list, the type list, the
// clause, then any number of row values, each evaluated in turn.
#include <algorithm>
#include <string>
#include <vector>

#include "query/equation_engine.h"

namespace {
std::vector<std::string> Lines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') lines.emplace_back();
    else lines.back() += static_cast<char>(data[i]);
  }
  return lines;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One engine for every input, as the query engine reuses its own between statements.
  static tSqlEquationEngine engine;
  std::vector<std::string> lines = Lines(data, size);
  lines.resize(std::max<size_t>(lines.size(), 3));
  engine.SetDefinition(lines[0].c_str());
  engine.SetTypes(lines[1].c_str());
  engine.setEquation(lines[2].c_str());
  for (size_t row = 3; row < lines.size(); ++row) {
    engine.SetRow(lines[row].c_str());
    engine.Evaluate();
  }
  return 0;
}
