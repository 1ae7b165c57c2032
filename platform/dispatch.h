// Late binding: IDispatch, its argument block and member identifiers.
#pragma once
#include <cstdint>

#include "platform/variant.h"

#ifndef _WIN32
using DISPID = std::int32_t;
using LCID = std::uint32_t;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;

constexpr std::uint16_t DISPATCH_METHOD = 1;
constexpr std::uint16_t DISPATCH_PROPERTYGET = 2;
constexpr std::uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr std::uint16_t DISPATCH_PROPERTYPUTREF = 8;

struct DISPPARAMS {
  VARIANT* rgvarg;            // arguments in reverse order
  DISPID* rgdispidNamedArgs;  // DISPID_PROPERTYPUT for the value of a put
  unsigned cArgs;
  unsigned cNamedArgs;
};

struct EXCEPINFO {
  std::uint16_t wCode;
  BSTR bstrSource;
  BSTR bstrDescription;
  HRESULT scode;
};

// {00020400-0000-0000-C000-000000000046}
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

struct ITypeInfo;

struct IDispatch : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(unsigned* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(unsigned index, LCID locale, ITypeInfo** info) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, OLECHAR** names, unsigned count, LCID locale, DISPID* ids) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, std::uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, unsigned* argumentError) = 0;

 protected:
  ~IDispatch() = default;
};
#endif
