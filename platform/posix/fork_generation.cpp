#include "platform/fork_generation.h"

#include <pthread.h>

#include <atomic>

namespace {
std::atomic<unsigned> generation{0};

void CountFork() { generation.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

unsigned ForkGeneration() {
  static const bool counting = pthread_atfork(nullptr, nullptr, CountFork) == 0;
  (void)counting;
  return generation.load(std::memory_order_relaxed);
}
