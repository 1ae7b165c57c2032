// Where traces go: the platform's debugger output, and stderr when VEXA_TRACE is
// set in the environment.
#pragma once
#include <string>

void WriteDebugOutput(const std::string& text);
