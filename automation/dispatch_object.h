// The common base of every automation object: reference counting, interface
// queries, the module-wide object count and late binding through the
// interface's member table. Interface must declare `kIid` (pointer to its IID)
// and `kDispatch` (its DispatchTable).
#pragma once
#include <new>

#include "automation/dispatch_table.h"
#include "automation/module_lock.h"

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

  // No type information is published: callers bind by name.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(unsigned* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(unsigned, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, OLECHAR** names, unsigned count, LCID, DISPID* ids) override {
    return DispatchGetIDsOfNames(Interface::kDispatch, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, std::uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, unsigned* argumentError) override {
    return DispatchInvoke(Interface::kDispatch, this, member, flags, params, result, argumentError);
  }

 protected:
  DispatchObject() = default;
  virtual ~DispatchObject() = default;

 private:
  RefCounted references_;
  ModuleLockHolder moduleLock_;
};

// A new object holding one reference for the caller; null when memory runs out.
template <class T>
T* NewObject() {
  T* object = new (std::nothrow) T();
  if (object) object->AddRef();
  return object;
}

// Gives the caller its own reference to `object` through `out`.
template <class Interface>
HRESULT HandOut(Interface* object, Interface** out) {
  object->AddRef();
  *out = object;
  return S_OK;
}
