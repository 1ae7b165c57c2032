#include "platform/fork_safety.h"

#include <pthread.h>

#include <atomic>
#include <vector>

namespace {
std::atomic<unsigned> generation{0};

// The locks a fork takes, in the order they were given; never freed, since a
// fork may come at any time until the process ends.
std::mutex& RegistryLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::vector<std::mutex*>& Held() {
  static auto* held = new std::vector<std::mutex*>;
  return *held;
}
std::vector<std::mutex*>& HeldInnermost() {
  static auto* held = new std::vector<std::mutex*>;
  return *held;
}

void TakeAll() {
  RegistryLock().lock();
  for (std::mutex* lock : Held()) lock->lock();
  for (std::mutex* lock : HeldInnermost()) lock->lock();
}

void ReleaseAll() {
  for (std::mutex* lock : HeldInnermost()) lock->unlock();
  for (auto lock = Held().rbegin(); lock != Held().rend(); ++lock) (*lock)->unlock();
  RegistryLock().unlock();
}

void ReleaseAllInChild() {
  generation.fetch_add(1, std::memory_order_relaxed);
  ReleaseAll();
}

bool CountForks() {
  static const bool counting = pthread_atfork(TakeAll, ReleaseAll, ReleaseAllInChild) == 0;
  return counting;
}
}  // namespace

unsigned ForkGeneration() {
  CountForks();
  return generation.load(std::memory_order_relaxed);
}

void HoldAcrossFork(std::mutex& lock) {
  CountForks();
  std::lock_guard<std::mutex> registry(RegistryLock());
  Held().push_back(&lock);
}

void HoldInnermostAcrossFork(std::mutex& lock) {
  CountForks();
  std::lock_guard<std::mutex> registry(RegistryLock());
  HeldInnermost().push_back(&lock);
}
