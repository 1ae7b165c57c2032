// Automation variants: a type code and a value, with the runtime's init, clear,
// copy and type-conversion calls.
#pragma once
#include <cstdint>

#include "platform/bstr.h"
#include "platform/hresult.h"
#include "platform/unknown.h"

#ifndef _WIN32
struct IDispatch;
struct SAFEARRAY;

using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using LONG = std::int32_t;
using OLE_COLOR = std::uint32_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
// VariantChangeType: booleans become "True" and "False" instead of "-1" and "0".
constexpr unsigned short VARIANT_ALPHABOOL = 0x2;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
  VARTYPE vt;
  union {
    std::int8_t cVal;
    std::uint8_t bVal;
    std::int16_t iVal;
    std::uint16_t uiVal;
    LONG lVal;
    std::uint32_t ulVal;
    std::int64_t llVal;
    std::uint64_t ullVal;
    int intVal;
    unsigned uintVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    HRESULT scode;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    VARIANT* pvarVal;
    void* byref;
  };
};

void VariantInit(VARIANT* variant);
// Frees what the variant owns (string, interface reference, array) and empties it.
HRESULT VariantClear(VARIANT* variant);
// Deep copy: strings and arrays are duplicated, interfaces gain a reference.
HRESULT VariantCopy(VARIANT* destination, VARIANT* source);
// Converts numbers, booleans and strings among VT_I2, VT_I4, VT_UI4, VT_R8,
// VT_BOOL and VT_BSTR; a by-reference source is read through its reference.
// DISP_E_TYPEMISMATCH when the value has no such form, DISP_E_OVERFLOW when it
// does not fit. Destination and source may be the same variant.
HRESULT VariantChangeType(VARIANT* destination, VARIANT* source, unsigned short flags, VARTYPE type);
#endif
