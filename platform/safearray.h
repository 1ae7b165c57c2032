// Safe arrays: counted arrays of automation values with bounds and an access lock.
#pragma once
#include <cstdint>

#include "platform/variant.h"

#ifndef _WIN32
struct SAFEARRAYBOUND {
  std::uint32_t cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  std::uint16_t cDims;
  std::uint16_t fFeatures;
  std::uint32_t cbElements;
  std::uint32_t cLocks;
  void* pvData;
  VARTYPE vt;  // element type; the real runtime keeps it in front of the descriptor
  SAFEARRAYBOUND rgsabound[1];
};

// A one-dimensional array of `count` zeroed elements of type vt (VT_BSTR,
// VT_VARIANT, VT_DISPATCH, VT_UNKNOWN, VT_I4, VT_R8, VT_BOOL ...); null on failure.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, std::uint32_t count);
// Frees the elements it owns and the array; DISP_E_ARRAYISLOCKED while accessed.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, std::uint32_t dimension, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, std::uint32_t dimension, LONG* bound);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// Element copies: a string is duplicated, an interface gains a reference. Put
// takes a string or interface element as the pointer itself, others by address.
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, void* element);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* index, const void* element);
HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy);
#endif
