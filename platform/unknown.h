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

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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

// IUnknown for an object that answers one interface, `Interface` known by
// `kIid`, and deletes itself when its last reference goes.
template <class Interface, const IID& kIid>
class SingleInterfaceObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != kIid) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.AddRefCount(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = references_.ReleaseCount();
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~SingleInterfaceObject() = default;

 private:
  RefCounted references_;
};
