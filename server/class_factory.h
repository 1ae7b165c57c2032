// The class object of one class of the object map.
#pragma once
#include "platform/class_factory.h"
#include "server/object_map.h"

// A class object is no instance: it does not hold the module, only LockServer does.
class ClassFactory final : public SingleInterfaceObject<IClassFactory, IID_IClassFactory> {
 public:
  // A new class object with one reference for the caller; null when memory runs out.
  static ClassFactory* Create(const ClassEntry& entry);

  // Aggregation is not supported: CLASS_E_NOAGGREGATION when `outer` is given.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // Server locks count in the module lock as live objects do.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}
  ~ClassFactory() override = default;

  const ClassEntry& entry_;
};
