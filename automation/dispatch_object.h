// The common base of every automation object: reference counting, interface
// queries, the module-wide object count and late binding, through the type
// library where the platform reads it, else through the interface's member
// table. Interface must declare `kIid` (pointer to its IID) and `kDispatch`
// (its DispatchTable).
#pragma once
#include <new>

#include "automation/call_guard.h"
#include "automation/dispatch_table.h"
#include "automation/module_lock.h"
#include "platform/type_library_dispatch.h"

template <class Interface>
class DispatchObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == *Interface::kIid) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.AddRefCount(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = references_.ReleaseCount();
    if (left == 0) delete this;
    return left;
  }

  // Windows binds through the module's type library, and publishes its type
  // info; elsewhere callers bind by name through the member table.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(unsigned* count) override {
    if (!count) return E_POINTER;
    *count = kTypeLibraryDispatch ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(unsigned index, LCID, ITypeInfo** info) override {
    if constexpr (kTypeLibraryDispatch) {
      if (!info) return E_POINTER;
      *info = nullptr;
      return index == 0 ? TypeLibraryTypeInfo(*Interface::kIid, info) : DISP_E_BADINDEX;
    } else {
      (void)index, (void)info;
      return E_NOTIMPL;
    }
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, OLECHAR** names, unsigned count, LCID, DISPID* ids) override {
    if constexpr (kTypeLibraryDispatch) return TypeLibraryGetIDsOfNames(*Interface::kIid, names, count, ids);
    else return DispatchGetIDsOfNames(Interface::kDispatch, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, std::uint16_t flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, unsigned* argumentError) override {
    return GuardedCall("Invoke", nullptr, [&] {
      if constexpr (kTypeLibraryDispatch) {
        return TypeLibraryInvoke(*Interface::kIid, static_cast<Interface*>(this), member, flags, params, result,
                                 exception, argumentError);
      } else {
        (void)exception;
        return DispatchInvoke(Interface::kDispatch, this, member, flags, params, result, argumentError);
      }
    });
  }

 protected:
  DispatchObject() = default;
  virtual ~DispatchObject() = default;

 private:
  RefCounted references_;
  ModuleLockHolder moduleLock_;
};

// A new object holding one reference for the caller; null when memory runs out,
// for the object or for what its constructor allocates.
template <class T>
T* NewObject() {
  T* object = nullptr;
  try {
    object = new T();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  object->AddRef();
  return object;
}

// Gives the caller its own reference to `object` through `out`.
template <class Interface>
HRESULT HandOut(Interface* object, Interface** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}
