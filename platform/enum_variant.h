// Enumerators of automation values, as collections hand them out for For Each.
#pragma once
#include "platform/variant.h"

#ifndef _WIN32
// {00020404-0000-0000-C000-000000000046}
inline constexpr IID IID_IEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IEnumVARIANT : IUnknown {
  // Copies up to `count` values into `values`; S_FALSE when fewer were left.
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* values, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) = 0;

 protected:
  ~IEnumVARIANT() = default;
};
#endif
