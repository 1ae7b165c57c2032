#include "automation/index_or_name.h"

#include <cmath>

namespace {
bool IsNumberType(VARTYPE type) {
  switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_R4: case VT_R8:
      return true;
    default:
      return false;
  }
}

bool ConvertsToLong(const VARIANT& argument, LONG& value) {
  VARIANT converted;
  VariantInit(&converted);
  // The runtime only reads the source, although its signature does not say so.
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&argument), 0, VT_I4))) return false;
  value = converted.lVal;
  return true;
}

// Reals are truncated toward zero; one too large for any index reads as 0.
LONG Truncated(double value) {
  const double whole = std::trunc(value);
  return whole >= -2147483648.0 && whole <= 2147483647.0 ? static_cast<LONG>(whole) : 0;
}

LONG IndexValue(const VARIANT& argument) {
  switch (argument.vt) {
    case VT_I1: case VT_UI1: return argument.bVal;
    case VT_I2: return argument.iVal;
    case VT_UI2: return argument.uiVal;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_I8: case VT_UI8:
      return static_cast<LONG>(argument.ulVal);
    case VT_R4: return Truncated(argument.fltVal);
    case VT_R8: return Truncated(argument.dblVal);
    default: {
      LONG value = 0;
      return ConvertsToLong(argument, value) ? value : 0;
    }
  }
}
}  // namespace

HRESULT ReadIndexOrName(const VARIANT& argument, int count, IndexOrName& out) {
  out = IndexOrName{};
  LONG ignored;
  const bool isIndex = IsNumberType(argument.vt) ||
                       ((argument.vt & (4 | 8 | VT_BYREF)) != 0 && ConvertsToLong(argument, ignored));
  if (isIndex) {
    const LONG index = IndexValue(argument);
    if (index < 1 || index > count) return E_INVALIDARG;
    out.position = index - 1;
    return S_OK;
  }
  if (argument.vt != VT_BSTR) return E_INVALIDARG;
  out.name = argument.bstrVal ? argument.bstrVal : L"";
  return S_OK;
}
