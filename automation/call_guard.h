// The boundary of every call that a caller of the automation objects makes: no
// exception may cross it, since it would end the caller's process (a script
// host with other files open). Memory that runs out becomes E_OUTOFMEMORY, any
// other exception E_FAIL, each with a trace and, when the object has one, a
// line in its message log.
#pragma once
#include "automation/message_log.h"
#include "platform/hresult.h"

// The status of the exception being handled; call it only inside a catch.
HRESULT StatusOfCurrentException(const char* operation, MessageLog* log) noexcept;
// Traces and logs memory that ran out; E_OUTOFMEMORY.
HRESULT ReportOutOfMemory(const char* operation, MessageLog* log) noexcept;

// Memory that ran out where a status was returned instead of thrown is
// reported the same way.
template <class Body>
HRESULT GuardedCall(const char* operation, MessageLog* log, Body&& body) noexcept {
  try {
    const HRESULT hr = body();
    return hr == E_OUTOFMEMORY ? ReportOutOfMemory(operation, log) : hr;
  } catch (...) {
    return StatusOfCurrentException(operation, log);
  }
}
