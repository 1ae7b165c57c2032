#include "store/queue.h"

#include <algorithm>
#include <new>

tQueue::tQueue(int capacity, bool signalled, bool grow)
    : slots_(new void*[capacity]()), capacity_(capacity), signalled_(signalled), grow_(grow) {}

HRESULT tQueue::Push(void* object) {
  std::unique_lock<std::mutex> lock(mutex_);
  int slot;
  if (count_ == capacity_) {
    if (!grow_) return E_FAIL;
    if (FAILED(growLocked())) return E_OUTOFMEMORY;
    slot = head_ + 1;
  } else if (count_ == 0) {
    slot = head_;
  } else {
    slot = head_ + 1 == capacity_ ? 0 : head_ + 1;
  }
  slots_[slot] = object;
  head_ = slot;
  ++count_;
  lock.unlock();
  if (signalled_) semaphore_.Release();
  return S_OK;
}

// Only called when full, so the slot behind head is tail. A wrapped queue moves
// its stretch from tail to the old end up by the growth, which opens the gap
// behind head and keeps the order.
HRESULT tQueue::growLocked() {
  const int capacity = capacity_ + kGrowthSlots;
  void** slots = new (std::nothrow) void*[capacity]();
  if (!slots) return E_OUTOFMEMORY;
  if (tail_ == 0) {
    std::copy(slots_.get(), slots_.get() + capacity_, slots);
  } else {
    std::copy(slots_.get(), slots_.get() + head_ + 1, slots);
    std::copy(slots_.get() + tail_, slots_.get() + capacity_, slots + tail_ + kGrowthSlots);
    tail_ += kGrowthSlots;
  }
  slots_.reset(slots);
  capacity_ = capacity;
  return S_OK;
}

void* tQueue::Pop() {
  if (signalled_) semaphore_.Wait();
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ == 0) return nullptr;
  void* object = slots_[tail_];
  slots_[tail_] = nullptr;
  if (--count_ > 0) tail_ = tail_ + 1 == capacity_ ? 0 : tail_ + 1;
  return object;
}

int tQueue::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

int tQueue::Capacity() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return capacity_;
}
