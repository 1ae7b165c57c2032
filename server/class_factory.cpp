#include "server/class_factory.h"

#include <new>

#include "automation/call_guard.h"
#include "automation/module_lock.h"

ClassFactory* ClassFactory::Create(const ClassEntry& entry) {
  auto* factory = new (std::nothrow) ClassFactory(entry);
  if (factory) factory->AddRef();
  return factory;
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return GuardedCall("CreateInstance", nullptr, [&] { return entry_.create(iid, object); });
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL lock) {
  if (lock) ModuleLock::Lock();
  else ModuleLock::Unlock();
  return S_OK;
}
