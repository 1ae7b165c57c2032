// Runs a script of late-bound calls, as a scripting host would: objects are
// made by program identifier and every property and method is reached by name
// through IDispatch (GetIDsOfNames and Invoke) only. The grammar is in the
// README under "vexacfg script".
#pragma once
#include <istream>

// Runs every line and prints what `print` asks for on stdout. At the first
// failing line, prints one line on stderr naming the status (or the syntax
// error) and the line, and stops. Returns the exit code: 0 or 1.
int RunScript(std::istream& script);
