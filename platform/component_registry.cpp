#include "platform/component_registry.h"

#include <map>
#include <mutex>

namespace {
std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<std::wstring, ComponentCreator>& Creators() {
  static std::map<std::wstring, ComponentCreator> creators;
  return creators;
}
}  // namespace

void RegisterComponent(const std::wstring& progId, ComponentCreator creator) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Creators()[progId] = creator;
}

void UnregisterComponent(const std::wstring& progId) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Creators().erase(progId);
}

HRESULT CreateLinkedComponent(const std::wstring& progId, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComponentCreator creator = nullptr;
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto found = Creators().find(progId);
    if (found == Creators().end()) return CO_E_CLASSSTRING;
    creator = found->second;
  }
  return creator(iid, object);
}
