// A process-wide pool of one kind of object. Objects given back for reuse wait
// in a free queue and are handed out again; the surplus, and objects that are
// not wanted again, are destroyed on a background deleter thread, so that the
// caller pays one locked queue operation instead of the destruction.
#pragma once
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <future>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include "platform/fork_safety.h"
#include "platform/trace.h"
#include "store/generic_container.h"
#include "store/queue.h"

template <typename T>
class tAllocator {
 public:
  static constexpr int kReuseSlots = 65536;
  static constexpr int kDeleterSlots = 65536;
  static constexpr int kContainerDeleterSlots = 1024;
  // A deleter rests after a destruction only while fewer objects than this wait,
  // so that give-backs faster than one per pause cannot pile up without bound.
  static constexpr int kRestingBacklog = 64;
  using Destroy = void (*)(T*);

  // `destroy` replaces plain delete for the objects the deleter threads destroy;
  // `pause` is the rest a deleter thread takes after each destruction, which
  // leaves the processor to the callers during bulk destruction.
  explicit tAllocator(Destroy destroy = nullptr, std::chrono::milliseconds pause = std::chrono::milliseconds(1))
      : destroy_(destroy), pause_(pause), free_(kReuseSlots, false, false) {
    HoldAcrossFork(destroying_);
  }
  // Pools live until the process ends: their deleter threads are never stopped.
  // A forked child starts deleters of its own: its parent's do not run in it;
  // and a fork waits for the destruction in progress, so that the child never
  // inherits an allocator lock that a deleter held.
  tAllocator(const tAllocator&) = delete;
  tAllocator& operator=(const tAllocator&) = delete;

  // A kept object (reused = true) or a new one; null when none can be made.
  T* Get(bool& reused);
  // Keeps the object for reuse when asked and there is room; else it goes to the deleter.
  void GiveBack(T* object, bool recycle);
  // Keeps the object for reuse if there is room; false leaves it with the caller.
  bool KeepForReuse(T* object) { return free_.Push(object) == S_OK; }
  // Empties `list`. With `destroy` its objects are given back (recycle) or handed,
  // links and all, to the container deleter in one push.
  void GiveBackAll(tGenericContainer<T>& list, bool destroy, bool recycle);

  // Objects given back together: each is kept for reuse while the free queue has
  // room, and the rest reach the container deleter in one push when the batch
  // ends, instead of one locked push each onto the deleter's queue.
  class Batch {
   public:
    explicit Batch(tAllocator& pool) : pool_(pool) {}
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    ~Batch();
    void GiveBack(T* object);

   private:
    tAllocator& pool_;
    tGenericContainer<T>* doomed_ = nullptr;
  };

  // Destructions finished by the deleter threads so far.
  std::int64_t DestroyedCount() const { return destroyed_.load(); }
  std::int64_t DestroyedContainerCount() const { return destroyedContainers_.load(); }

 private:
  using Container = tGenericContainer<T>;

  // A deleter thread of this process and its queue.
  struct Deleter {
    std::atomic<tQueue*> queue{nullptr};
    // ForkGeneration() + 1 of the process that started it; 0 before the start.
    std::atomic<unsigned> startedIn{0};
  };
  // Starts the thread on first need in this process; null when no thread
  // could be started. A queue left from before a fork is never touched again:
  // a parent's thread may have held its lock when the process forked.
  tQueue* deleterQueue() { return running(deleter_, deleterLoop, kDeleterSlots); }
  tQueue* containerDeleterQueue() { return running(containerDeleter_, containerDeleterLoop, kContainerDeleterSlots); }
  tQueue* running(Deleter& deleter, void (*loop)(tAllocator*, tQueue*), int slots);
  static tQueue* startDeleter(void (*loop)(tAllocator*, tQueue*), tAllocator* pool, int slots);
  static void deleterLoop(tAllocator* pool, tQueue* queue);
  static void containerDeleterLoop(tAllocator* pool, tQueue* queue);
  void restAfterDestruction(const tQueue& queue) const {
    if (queue.Count() < kRestingBacklog) std::this_thread::sleep_for(pause_);
  }
  void destroyObject(T* object) const {
    if (destroy_) destroy_(object);
    else delete object;
  }

  const Destroy destroy_;
  const std::chrono::milliseconds pause_;
  tQueue free_;
  std::mutex startMutex_;
  // Held by a deleter thread while it destroys.
  std::mutex destroying_;
  Deleter deleter_;
  Deleter containerDeleter_;
  std::atomic<std::int64_t> destroyed_{0};
  std::atomic<std::int64_t> destroyedContainers_{0};
};

template <typename T>
T* tAllocator<T>::Get(bool& reused) {
  T* object = static_cast<T*>(free_.Pop());
  reused = object != nullptr;
  return object ? object : new (std::nothrow) T();
}

template <typename T>
void tAllocator<T>::GiveBack(T* object, bool recycle) {
  if (!object) return;
  if (recycle && KeepForReuse(object)) return;
  tQueue* queue = deleterQueue();
  if (!queue || FAILED(queue->Push(object))) destroyObject(object);
}

template <typename T>
void tAllocator<T>::GiveBackAll(Container& list, bool destroy, bool recycle) {
  if (list.Count() == 0) return;
  if (!destroy) {
    list.Clear(false);
    return;
  }
  if (!recycle) {
    auto* doomed = new (std::nothrow) Container(true, destroy_);
    tQueue* queue = doomed ? containerDeleterQueue() : nullptr;
    if (queue) {
      list.MoveLinksTo(*doomed);
      if (FAILED(queue->Push(doomed))) delete doomed;
      return;
    }
    delete doomed;
  }
  list.RemoveIf([](T*) { return true; }, [this, recycle](T* object) { GiveBack(object, recycle); });
}

template <typename T>
void tAllocator<T>::Batch::GiveBack(T* object) {
  if (!object || pool_.KeepForReuse(object)) return;
  if (!doomed_) doomed_ = new (std::nothrow) Container(true, pool_.destroy_);
  if (!doomed_ || FAILED(doomed_->Add(object))) pool_.GiveBack(object, false);
}

template <typename T>
tAllocator<T>::Batch::~Batch() {
  if (!doomed_) return;
  tQueue* queue = pool_.containerDeleterQueue();
  if (!queue || FAILED(queue->Push(doomed_))) delete doomed_;
}

template <typename T>
tQueue* tAllocator<T>::running(Deleter& deleter, void (*loop)(tAllocator*, tQueue*), int slots) {
  const unsigned process = ForkGeneration() + 1;
  if (deleter.startedIn.load(std::memory_order_acquire) != process) {
    std::lock_guard<std::mutex> lock(startMutex_);
    if (deleter.startedIn.load(std::memory_order_relaxed) != process) {
      deleter.queue.store(startDeleter(loop, this, slots), std::memory_order_relaxed);
      deleter.startedIn.store(process, std::memory_order_release);
    }
  }
  return deleter.queue.load(std::memory_order_relaxed);
}

// The queue is never freed: a detached thread may still wait on it at exit, and
// whatever is left in it stays reachable. Returns once the thread runs: a
// process that forks at once must not catch it still starting, inside the
// allocator (a sanitizer's allocator has no fork handling).
template <typename T>
tQueue* tAllocator<T>::startDeleter(void (*loop)(tAllocator*, tQueue*), tAllocator* pool, int slots) {
  tQueue* queue = nullptr;
  try {
    queue = new tQueue(slots, true, true);
    std::promise<void> started;
    std::future<void> running = started.get_future();
    std::thread(
        [loop, pool, queue](std::promise<void> runs) {
          runs.set_value();
          loop(pool, queue);
        },
        std::move(started))
        .detach();
    running.wait();
  } catch (...) {
    delete queue;
    return nullptr;
  }
  return queue;
}

template <typename T>
void tAllocator<T>::deleterLoop(tAllocator* pool, tQueue* queue) {
  while (T* object = static_cast<T*>(queue->Pop())) {
    try {
      std::lock_guard<std::mutex> destroying(pool->destroying_);
      pool->destroyObject(object);
    } catch (...) {
      DebugTrace("tAllocator: Exception occured while deleting a single element at x%" PRIxPTR "!\n",
                 reinterpret_cast<std::uintptr_t>(object));
    }
    pool->destroyed_.fetch_add(1);
    pool->restAfterDestruction(*queue);
  }
}

template <typename T>
void tAllocator<T>::containerDeleterLoop(tAllocator* pool, tQueue* queue) {
  while (Container* container = static_cast<Container*>(queue->Pop())) {
    try {
      std::lock_guard<std::mutex> destroying(pool->destroying_);
      delete container;
    } catch (...) {
      DebugTrace("tAllocator: Exception occured while deleting a container of elements at x%" PRIxPTR "!\n",
                 reinterpret_cast<std::uintptr_t>(container));
    }
    pool->destroyedContainers_.fetch_add(1);
    pool->restAfterDestruction(*queue);
  }
}
