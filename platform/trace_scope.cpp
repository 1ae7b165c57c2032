#include "platform/trace_scope.h"

#include <cctype>
#include <new>

namespace {
thread_local TraceScope* innermostScope = nullptr;

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Timing and tuning notes, which accompany successes as well as failures, and
// the loader's marks of the step that failed.
bool SaysNoCause(const std::string& trace) {
  return Contains(trace, "VexaTemplateLib::") || Contains(trace, "Opto alert") || Contains(trace, "Speed issues?") ||
         Contains(trace, "LoadAttributesFromFile, failed in");
}
}  // namespace

TraceScope::TraceScope() : outer_(innermostScope) { innermostScope = this; }

TraceScope::~TraceScope() { innermostScope = outer_; }

void KeepInTraceScopes(const std::string& text) {
  if (!innermostScope) return;
  std::string line = text;
  while (!line.empty() && line.back() == '\n') line.pop_back();
  try {
    for (TraceScope* scope = innermostScope; scope; scope = scope->outer_) scope->traces_.push_back(line);
  } catch (const std::bad_alloc&) {
  }
}

std::string TracedCause(const std::vector<std::string>& traces, const std::string& statement) {
  for (const std::string& trace : traces) {
    if (SaysNoCause(trace)) continue;
    const std::string failed = "Query (" + statement + ") failed, ";
    if (size_t at = trace.find(failed); at != std::string::npos) return trace.substr(at + failed.size());
    std::string cause = trace;
    if (size_t colon = cause.find(": "); colon != std::string::npos && cause.find("::") == std::string::npos)
      cause = cause.substr(colon + 2);
    else if (size_t comma = cause.find(", "); comma != std::string::npos && cause.find("::") < comma)
      cause = cause.substr(comma + 2);
    if (!statement.empty())
      if (size_t quoted = cause.find(" (" + statement + ")"); quoted != std::string::npos)
        cause.erase(quoted, statement.size() + 3);
    if (!cause.empty()) cause[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(cause[0])));
    return cause;
  }
  return "";
}
