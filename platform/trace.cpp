#include "platform/trace.h"

#include "platform/debug_output.h"
#include "platform/text_conversion.h"
#include "platform/trace_scope.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <mutex>

namespace {
constexpr int kTraceBufferSize = 4096;

std::mutex& SinkMutex() {
  static std::mutex mutex;
  return mutex;
}

TraceSink& Sink() {
  static TraceSink sink;
  return sink;
}

// A trace that cannot be made (memory ran out, which it may be reporting) is
// lost rather than thrown at the code that traced.
void Emit(const char* text) noexcept {
  try {
    const std::string line(text);
    WriteDebugOutput(line);
    KeepInTraceScopes(line);
    std::lock_guard<std::mutex> lock(SinkMutex());
    if (Sink()) Sink()(line);
  } catch (...) {
  }
}
}  // namespace

void DebugTrace(const char* format, ...) noexcept {
  char buffer[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  Emit(buffer);
}

void DebugTraceW(const wchar_t* format, ...) noexcept {
  wchar_t buffer[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  // vswprintf fails outright on overflow instead of cutting, so keep what fitted.
  if (std::vswprintf(buffer, kTraceBufferSize, format, args) < 0) buffer[kTraceBufferSize - 1] = L'\0';
  va_end(args);
  try {
    Emit(NarrowFromWide(buffer).c_str());
  } catch (...) {
  }
}

void SetTraceSink(TraceSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  Sink() = std::move(sink);
}
