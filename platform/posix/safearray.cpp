#include "platform/safearray.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/dispatch.h"

namespace {
std::uint32_t ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: return 8;
    case VT_BSTR: return sizeof(BSTR);
    case VT_DISPATCH: case VT_UNKNOWN: return sizeof(IUnknown*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
  }
}

void* ElementAt(SAFEARRAY* array, std::uint32_t offset) {
  return static_cast<char*>(array->pvData) + static_cast<size_t>(offset) * array->cbElements;
}

HRESULT Offset(SAFEARRAY* array, const LONG* index, std::uint32_t& offset) {
  if (!array || !index) return E_INVALIDARG;
  const long long relative = static_cast<long long>(*index) - array->rgsabound[0].lLbound;
  if (relative < 0 || relative >= array->rgsabound[0].cElements) return DISP_E_BADINDEX;
  offset = static_cast<std::uint32_t>(relative);
  return S_OK;
}

IUnknown* InterfaceAt(SAFEARRAY* array, void* element) {
  if (array->vt == VT_DISPATCH) return *static_cast<IDispatch**>(element);
  if (array->vt == VT_UNKNOWN) return *static_cast<IUnknown**>(element);
  return nullptr;
}

void ReleaseElement(SAFEARRAY* array, void* element) {
  if (array->vt == VT_BSTR) SysFreeString(*static_cast<BSTR*>(element));
  else if (array->vt == VT_VARIANT) VariantClear(static_cast<VARIANT*>(element));
  else if (IUnknown* unknown = InterfaceAt(array, element)) unknown->Release();
}

// Copies one element into zeroed storage of the same type.
HRESULT CopyElement(SAFEARRAY* array, const void* source, void* destination) {
  if (array->vt == VT_BSTR) {
    BSTR text = *static_cast<const BSTR*>(source);
    BSTR copy = text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr;
    if (text && !copy) return E_OUTOFMEMORY;
    *static_cast<BSTR*>(destination) = copy;
    return S_OK;
  }
  if (array->vt == VT_VARIANT) {
    VariantInit(static_cast<VARIANT*>(destination));
    return VariantCopy(static_cast<VARIANT*>(destination), static_cast<VARIANT*>(const_cast<void*>(source)));
  }
  std::memcpy(destination, source, array->cbElements);
  if (IUnknown* unknown = InterfaceAt(array, destination)) unknown->AddRef();
  return S_OK;
}
}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, std::uint32_t count) {
  const std::uint32_t size = ElementSize(vt);
  if (size == 0) return nullptr;
  auto* array = new (std::nothrow) SAFEARRAY{1, 0, size, 0, nullptr, vt, {{count, lowerBound}}};
  if (!array) return nullptr;
  array->pvData = std::calloc(count ? count : 1, size);
  if (!array->pvData) {
    delete array;
    return nullptr;
  }
  return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  for (std::uint32_t i = 0; i < array->rgsabound[0].cElements; ++i) ReleaseElement(array, ElementAt(array, i));
  std::free(array->pvData);
  delete array;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  ++array->cLocks;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, std::uint32_t dimension, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dimension != 1) return DISP_E_BADINDEX;
  *bound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, std::uint32_t dimension, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dimension != 1) return DISP_E_BADINDEX;
  *bound = static_cast<LONG>(array->rgsabound[0].lLbound + static_cast<long long>(array->rgsabound[0].cElements) - 1);
  return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (!array || !vt) return E_INVALIDARG;
  *vt = array->vt;
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, void* element) {
  std::uint32_t offset;
  if (HRESULT hr = Offset(array, index, offset); FAILED(hr)) return hr;
  if (!element) return E_INVALIDARG;
  return CopyElement(array, ElementAt(array, offset), element);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* index, const void* element) {
  std::uint32_t offset;
  if (HRESULT hr = Offset(array, index, offset); FAILED(hr)) return hr;
  if (!element) return E_INVALIDARG;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  void* slot = ElementAt(array, offset);
  // Strings and interfaces are passed as themselves, other values by address.
  const bool byValue = array->vt == VT_BSTR || array->vt == VT_DISPATCH || array->vt == VT_UNKNOWN;
  const void* source = byValue ? &element : element;
  alignas(VARIANT) unsigned char fresh[sizeof(VARIANT)] = {};
  if (HRESULT hr = CopyElement(array, source, fresh); FAILED(hr)) return hr;
  ReleaseElement(array, slot);
  std::memcpy(slot, fresh, array->cbElements);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy) {
  if (!source || !copy) return E_INVALIDARG;
  *copy = nullptr;
  SAFEARRAY* result = SafeArrayCreateVector(source->vt, source->rgsabound[0].lLbound, source->rgsabound[0].cElements);
  if (!result) return E_OUTOFMEMORY;
  for (std::uint32_t i = 0; i < source->rgsabound[0].cElements; ++i) {
    if (HRESULT hr = CopyElement(result, ElementAt(source, i), ElementAt(result, i)); FAILED(hr)) {
      SafeArrayDestroy(result);
      return hr;
    }
  }
  *copy = result;
  return S_OK;
}
