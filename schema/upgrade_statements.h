// The fixed statement sequence that brings a newly written template up to date:
// tables added after the templates were drawn up, and the seed rows of some.
#pragma once
#include <string>
#include <vector>

#include "query/query_engine.h"

// Runs the whole sequence on the engine's configuration, committing along the
// way. A failing statement does not stop it; the statements that failed are
// returned, in order, for the caller to trace if it wants to.
std::vector<std::string> RunUpgradeStatements(tSqlQueryEngine& engine);
