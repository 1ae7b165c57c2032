#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>

#include "platform/windows_sdk.h"

void WriteDebugOutput(const std::string& text) {
  static const bool toStderr = std::getenv("VEXA_TRACE") != nullptr;
  OutputDebugStringA(text.c_str());
  if (toStderr) std::fputs(text.c_str(), stderr);
}
