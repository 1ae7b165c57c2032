// The comparison of `vexacfg diff`, for other front ends.
#pragma once
#include <nlohmann/json.hpp>
#include <vector>

#include "tools/loaded_file.h"

// The changes from `a` to `b`, rows matched by their first column: the array
// that `vexacfg diff --mode json` prints.
nlohmann::ordered_json TableChanges(const std::vector<TableText>& a, const std::vector<TableText>& b);
