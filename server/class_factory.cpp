#include "server/class_factory.h"

#include <new>

#include "automation/module_lock.h"

ClassFactory* ClassFactory::Create(const ClassEntry& entry) {
  auto* factory = new (std::nothrow) ClassFactory(entry);
  if (factory) factory->AddRef();
  return factory;
}

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

// A class object is no instance: it does not hold the module, only LockServer does.
ULONG STDMETHODCALLTYPE ClassFactory::Release() {
  const ULONG left = ReleaseCount();
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return entry_.create(iid, object);
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL lock) {
  if (lock) ModuleLock::Lock();
  else ModuleLock::Unlock();
  return S_OK;
}
