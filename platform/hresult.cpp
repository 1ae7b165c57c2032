#include "platform/hresult.h"

#include <cstdio>

namespace {
const char* NameOf(HRESULT hr) {
  switch (hr) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case E_NOTIMPL: return "E_NOTIMPL";
    case E_NOINTERFACE: return "E_NOINTERFACE";
    case E_POINTER: return "E_POINTER";
    case E_ABORT: return "E_ABORT";
    case E_FAIL: return "E_FAIL";
    case E_UNEXPECTED: return "E_UNEXPECTED";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case E_INVALIDARG: return "E_INVALIDARG";
    case CLASS_E_NOAGGREGATION: return "CLASS_E_NOAGGREGATION";
    case CLASS_E_CLASSNOTAVAILABLE: return "CLASS_E_CLASSNOTAVAILABLE";
    case REGDB_E_READREGDB: return "REGDB_E_READREGDB";
    case REGDB_E_WRITEREGDB: return "REGDB_E_WRITEREGDB";
    case REGDB_E_KEYMISSING: return "REGDB_E_KEYMISSING";
    case REGDB_E_CLASSNOTREG: return "REGDB_E_CLASSNOTREG";
    case CO_E_CLASSSTRING: return "CO_E_CLASSSTRING";
    case CO_E_DLLNOTFOUND: return "CO_E_DLLNOTFOUND";
    case DISP_E_MEMBERNOTFOUND: return "DISP_E_MEMBERNOTFOUND";
    case DISP_E_PARAMNOTFOUND: return "DISP_E_PARAMNOTFOUND";
    case DISP_E_TYPEMISMATCH: return "DISP_E_TYPEMISMATCH";
    case DISP_E_UNKNOWNNAME: return "DISP_E_UNKNOWNNAME";
    case DISP_E_BADVARTYPE: return "DISP_E_BADVARTYPE";
    case DISP_E_EXCEPTION: return "DISP_E_EXCEPTION";
    case DISP_E_OVERFLOW: return "DISP_E_OVERFLOW";
    case DISP_E_BADINDEX: return "DISP_E_BADINDEX";
    case DISP_E_ARRAYISLOCKED: return "DISP_E_ARRAYISLOCKED";
    case DISP_E_BADPARAMCOUNT: return "DISP_E_BADPARAMCOUNT";
    case RPC_E_WRONG_THREAD: return "RPC_E_WRONG_THREAD";
    default: return nullptr;
  }
}
}  // namespace

std::string DescribeHResult(HRESULT hr) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(hr));
  const char* name = NameOf(hr);
  return name ? std::string(name) + " (" + hex + ")" : std::string(hex);
}
