#include "platform/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <string>

#include "platform/dispatch.h"
#include "platform/safearray.h"

namespace {
IUnknown* InterfaceOf(const VARIANT& v) {
  if (v.vt == VT_DISPATCH) return v.pdispVal;
  if (v.vt == VT_UNKNOWN) return v.punkVal;
  return nullptr;
}

// One value in the widest form of its kind, so that conversions go through one place.
struct Scalar {
  enum Kind { Integer, Real, Text } kind;
  long double number;
  std::wstring text;
};

HRESULT ReadScalar(const VARIANT& v, Scalar& out) {
  const VARTYPE type = v.vt & ~VT_BYREF;
  const bool byRef = (v.vt & VT_BYREF) != 0;
  if (byRef && !v.byref) return E_INVALIDARG;
  if (byRef && type == VT_VARIANT) return ReadScalar(*v.pvarVal, out);
  const VARIANT* value = &v;
  VARIANT copy;
  if (byRef) {
    // A reference points at a value of its base type; read it into a plain variant.
    copy.vt = type;
    switch (type) {
      case VT_I1: case VT_UI1: copy.bVal = *static_cast<std::uint8_t*>(v.byref); break;
      case VT_I2: case VT_UI2: case VT_BOOL: copy.uiVal = *static_cast<std::uint16_t*>(v.byref); break;
      case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR:
        copy.ulVal = *static_cast<std::uint32_t*>(v.byref);
        break;
      case VT_I8: case VT_UI8: case VT_R8: copy.ullVal = *static_cast<std::uint64_t*>(v.byref); break;
      case VT_BSTR: copy.bstrVal = *static_cast<BSTR*>(v.byref); break;
      default: return DISP_E_TYPEMISMATCH;
    }
    value = &copy;
  }
  out.kind = Scalar::Integer;
  switch (type) {
    case VT_EMPTY: out.number = 0; return S_OK;
    case VT_I1: out.number = value->cVal; return S_OK;
    case VT_UI1: out.number = value->bVal; return S_OK;
    case VT_I2: out.number = value->iVal; return S_OK;
    case VT_UI2: out.number = value->uiVal; return S_OK;
    case VT_I4: out.number = value->lVal; return S_OK;
    case VT_UI4: out.number = value->ulVal; return S_OK;
    case VT_INT: out.number = value->intVal; return S_OK;
    case VT_UINT: out.number = value->uintVal; return S_OK;
    case VT_I8: out.number = static_cast<long double>(value->llVal); return S_OK;
    case VT_UI8: out.number = static_cast<long double>(value->ullVal); return S_OK;
    case VT_BOOL: out.number = value->boolVal ? -1 : 0; return S_OK;
    case VT_R4: out.kind = Scalar::Real; out.number = value->fltVal; return S_OK;
    case VT_R8: out.kind = Scalar::Real; out.number = value->dblVal; return S_OK;
    case VT_BSTR:
      out.kind = Scalar::Text;
      out.text = value->bstrVal ? std::wstring(value->bstrVal, SysStringLen(value->bstrVal)) : std::wstring();
      return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

// The whole text must be a number, surrounding blanks aside.
HRESULT NumberFromText(const std::wstring& text, long double& number) {
  const wchar_t* start = text.c_str();
  while (std::iswspace(*start)) ++start;
  if (!*start) return DISP_E_TYPEMISMATCH;
  wchar_t* end = nullptr;
  errno = 0;
  number = std::wcstold(start, &end);
  if (end == start) return DISP_E_TYPEMISMATCH;
  while (std::iswspace(*end)) ++end;
  if (*end) return DISP_E_TYPEMISMATCH;
  return errno == ERANGE ? DISP_E_OVERFLOW : S_OK;
}

HRESULT ToNumber(const Scalar& scalar, long double& number) {
  if (scalar.kind != Scalar::Text) {
    number = scalar.number;
    return S_OK;
  }
  if (wcscasecmp(scalar.text.c_str(), L"True") == 0) return number = -1, S_OK;
  if (wcscasecmp(scalar.text.c_str(), L"False") == 0) return number = 0, S_OK;
  return NumberFromText(scalar.text, number);
}

// Integers are rounded half to even, as the runtime rounds.
template <typename Integer>
HRESULT ToInteger(const Scalar& scalar, Integer& out) {
  long double number;
  if (HRESULT hr = ToNumber(scalar, number); FAILED(hr)) return hr;
  const long double rounded = std::nearbyint(number);
  if (!(rounded >= std::numeric_limits<Integer>::min() && rounded <= std::numeric_limits<Integer>::max()))
    return DISP_E_OVERFLOW;
  out = static_cast<Integer>(rounded);
  return S_OK;
}

HRESULT ToText(const Scalar& scalar, VARTYPE sourceType, unsigned short flags, std::wstring& out) {
  if (scalar.kind == Scalar::Text) {
    out = scalar.text;
  } else if ((sourceType & VT_TYPEMASK) == VT_EMPTY) {
    out.clear();
  } else if ((sourceType & VT_TYPEMASK) == VT_BOOL) {
    if (flags & VARIANT_ALPHABOOL) out = scalar.number != 0 ? L"True" : L"False";
    else out = scalar.number != 0 ? L"-1" : L"0";
  } else if (scalar.kind == Scalar::Integer) {
    out = std::to_wstring(static_cast<long long>(scalar.number));
  } else {
    wchar_t buffer[64];
    std::swprintf(buffer, 64, L"%.15Lg", scalar.number);
    out = buffer;
  }
  return S_OK;
}

VARTYPE BaseType(const VARIANT& v) {
  if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) return BaseType(*v.pvarVal);
  return v.vt & ~VT_BYREF;
}
}  // namespace

void VariantInit(VARIANT* variant) {
  variant->vt = VT_EMPTY;
  variant->ullVal = 0;
}

HRESULT VariantClear(VARIANT* variant) {
  if (!variant) return E_INVALIDARG;
  if (variant->vt & VT_ARRAY) {
    if (!(variant->vt & VT_BYREF)) {
      if (HRESULT hr = SafeArrayDestroy(variant->parray); FAILED(hr)) return hr;
    }
  } else if (variant->vt == VT_BSTR) {
    SysFreeString(variant->bstrVal);
  } else if (IUnknown* unknown = InterfaceOf(*variant)) {
    unknown->Release();
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, VARIANT* source) {
  if (!destination || !source) return E_INVALIDARG;
  if (destination == source) return S_OK;
  VARIANT copy = *source;
  if ((source->vt & VT_ARRAY) && !(source->vt & VT_BYREF)) {
    if (HRESULT hr = SafeArrayCopy(source->parray, &copy.parray); FAILED(hr)) return hr;
  } else if (source->vt == VT_BSTR && source->bstrVal) {
    copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (!copy.bstrVal) return E_OUTOFMEMORY;
  } else if (IUnknown* unknown = InterfaceOf(*source)) {
    unknown->AddRef();
  }
  VariantClear(destination);
  *destination = copy;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* destination, VARIANT* source, unsigned short flags, VARTYPE type) {
  if (!destination || !source) return E_INVALIDARG;
  Scalar scalar;
  if (HRESULT hr = ReadScalar(*source, scalar); FAILED(hr)) return hr;
  VARIANT result;
  VariantInit(&result);
  result.vt = type;
  HRESULT hr = S_OK;
  switch (type) {
    case VT_I2: hr = ToInteger(scalar, result.iVal); break;
    case VT_I4: hr = ToInteger(scalar, result.lVal); break;
    case VT_UI4: hr = ToInteger(scalar, result.ulVal); break;
    case VT_BOOL: {
      long double number;
      hr = ToNumber(scalar, number);
      result.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    }
    case VT_R8: {
      long double number;
      hr = ToNumber(scalar, number);
      result.dblVal = static_cast<double>(number);
      break;
    }
    case VT_BSTR: {
      std::wstring text;
      hr = ToText(scalar, BaseType(*source), flags, text);
      if (SUCCEEDED(hr)) {
        result.bstrVal = SysAllocStringLen(text.data(), static_cast<unsigned>(text.size()));
        if (!result.bstrVal) hr = E_OUTOFMEMORY;
      }
      break;
    }
    default: hr = DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) return hr;
  VariantClear(destination);
  *destination = result;
  return S_OK;
}
