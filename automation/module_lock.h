// The module-wide lock count: live objects (the configuration object, collections,
// items, enumerators) plus the server locks that callers take through a class
// object. It decides whether the module may be unloaded.
#pragma once

namespace ModuleLock {
void Lock();
void Unlock();
long Count();
}  // namespace ModuleLock

// Holds one count for as long as the object that owns it lives.
class ModuleLockHolder {
 public:
  ModuleLockHolder() { ModuleLock::Lock(); }
  ~ModuleLockHolder() { ModuleLock::Unlock(); }
  ModuleLockHolder(const ModuleLockHolder&) = delete;
  ModuleLockHolder& operator=(const ModuleLockHolder&) = delete;
};
