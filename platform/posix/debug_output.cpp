#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>

// There is no debugger output here; stderr stands in for it on request.
void WriteDebugOutput(const std::string& text) {
  static const bool toStderr = std::getenv("VEXA_TRACE") != nullptr;
  if (toStderr) std::fputs(text.c_str(), stderr);
}
