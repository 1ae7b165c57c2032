// The component runtime's object identity: GUIDs and IUnknown with reference counts.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/hresult.h"

#ifndef _WIN32
struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};
#endif

// Reference count shared by the objects of this module; the object deletes itself
// when the count reaches zero.
class RefCounted {
 public:
  ULONG AddRefCount() { return ++count_; }
  ULONG ReleaseCount() { return --count_; }

 private:
  std::atomic<ULONG> count_{0};
};
