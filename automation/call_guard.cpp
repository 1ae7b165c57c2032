#include "automation/call_guard.h"

#include <exception>
#include <new>

#include "platform/trace.h"

HRESULT ReportOutOfMemory(const char* operation, MessageLog* log) noexcept {
  DebugTrace("%s: out of memory\n", operation);
  if (log) log->Write("%s: Out of memory", operation);
  return E_OUTOFMEMORY;
}

HRESULT StatusOfCurrentException(const char* operation, MessageLog* log) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return ReportOutOfMemory(operation, log);
  } catch (const std::exception& e) {
    DebugTrace("%s: failed: %s\n", operation, e.what());
    if (log) log->Write("%s: Failed: %s", operation, e.what());
    return E_FAIL;
  } catch (...) {
    DebugTrace("%s: failed\n", operation);
    if (log) log->Write("%s: Failed", operation);
    return E_FAIL;
  }
}
