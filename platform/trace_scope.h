// The traces of one operation on one thread, from which its failure's cause is read.
#pragma once
#include <string>
#include <vector>

// Keeps the traces that this thread writes while it lives, so that an
// operation can name the cause of its failure. Scopes may nest; each gets them.
class TraceScope {
 public:
  TraceScope();
  ~TraceScope();
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;
  const std::vector<std::string>& Traces() const { return traces_; }

 private:
  friend void KeepInTraceScopes(const std::string& text);
  TraceScope* outer_;
  std::vector<std::string> traces_;
};

// Called by the debug-output call for every trace.
void KeepInTraceScopes(const std::string& text);

// Why an operation failed, in the words of the first trace that reports a
// failure, without the class and operation that it begins with (for a failed
// statement, without the statement); empty when none does. Timing notes and the
// loader's marks of the step that failed say no cause and are passed over.
std::string TracedCause(const std::vector<std::string>& traces, const std::string& statement = "");
