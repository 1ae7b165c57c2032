// The traces of the operation in progress, kept in memory so that a failure can
// name its cause on the tool's one error line.
#pragma once
#include <string>
#include <vector>

// Installs the trace sink for the rest of the process.
void RecordTraces();
// Forgets what was recorded, at the start of each operation.
void ForgetTraces();
// The traces recorded since, one per element, without their line feeds.
std::vector<std::string> RecordedTraces();
