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

void Emit(const std::string& text) {
  WriteDebugOutput(text);
  KeepInTraceScopes(text);
  std::lock_guard<std::mutex> lock(SinkMutex());
  if (Sink()) Sink()(text);
}
}  // namespace

void DebugTrace(const char* format, ...) {
  char buffer[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  Emit(buffer);
}

void DebugTraceW(const wchar_t* format, ...) {
  wchar_t buffer[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  // vswprintf fails outright on overflow instead of cutting, so keep what fitted.
  if (std::vswprintf(buffer, kTraceBufferSize, format, args) < 0) buffer[kTraceBufferSize - 1] = L'\0';
  va_end(args);
  Emit(NarrowFromWide(buffer));
}

void SetTraceSink(TraceSink sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  Sink() = std::move(sink);
}
