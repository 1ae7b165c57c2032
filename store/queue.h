// A locked ring buffer of pointers. A signalled queue counts its objects with a
// semaphore, so that a pop blocks until a push; a growing queue takes 512 more
// slots when it is full instead of refusing the push.
#pragma once
#include <memory>
#include <mutex>

#include "platform/hresult.h"
#include "platform/semaphore.h"

class tQueue {
 public:
  static constexpr int kGrowthSlots = 512;

  tQueue(int capacity, bool signalled, bool grow);
  tQueue(const tQueue&) = delete;
  tQueue& operator=(const tQueue&) = delete;

  // E_FAIL when full and not growing; E_OUTOFMEMORY when growing fails.
  HRESULT Push(void* object);
  // The oldest object. A signalled queue waits for one; any other gives null when empty.
  void* Pop();
  int Count() const;
  int Capacity() const;

 private:
  HRESULT growLocked();

  std::unique_ptr<void*[]> slots_;
  tSemaphore semaphore_;
  mutable std::mutex mutex_;
  int head_ = 0;  // the slot written last
  int tail_ = 0;  // the slot read next
  int capacity_;
  int count_ = 0;
  const bool signalled_;
  const bool grow_;
};
