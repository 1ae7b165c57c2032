#include "automation/module_lock.h"

#include <atomic>

namespace {
std::atomic<long> liveObjects{0};
}

void ModuleLock::Lock() { ++liveObjects; }
void ModuleLock::Unlock() { --liveObjects; }
long ModuleLock::Count() { return liveObjects.load(); }
