// The debug-output call. Traces are for developers only: they are written to
// stderr when VEXA_TRACE is set in the environment, and a test can capture them.
#pragma once
#include <functional>
#include <string>

void DebugTrace(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
void DebugTraceW(const wchar_t* format, ...) noexcept;

// Receives every trace (wide ones converted to narrow text) while installed.
using TraceSink = std::function<void(const std::string&)>;
void SetTraceSink(TraceSink sink);
