// Cells of one size carved from large blocks, for objects that are made and
// destroyed by the hundred thousand, such as the nodes of a large index: one
// heap call per block instead of one per object, and a dropped index's cells
// are handed out again as they are, not looked for among the holes it left in
// the heap. Blocks come from the system with their pages in place (see
// PageBlock) and are kept as long as the store; a process-wide store lasts as
// long as the process, as the pools do. Any thread may take and give.
#pragma once
#include <cstddef>
#include <mutex>
#include <new>

class tCellStore {
  struct Link {
    Link* next;
  };

 public:
  // Cells start at multiples of `alignment` (a power of two), and take a
  // multiple of it: a cache line for cells read with one miss.
  tCellStore(std::size_t cellSize, std::size_t cellsPerBlock, std::size_t alignment = 64);
  // A store that lasts as long as the process. A fork waits for its lock,
  // so that a child never inherits it held by a thread it does not have.
  static tCellStore* ProcessWide(std::size_t cellSize, std::size_t cellsPerBlock, std::size_t alignment = 64);
  // Frees every block: no cell may be in use any more.
  ~tCellStore();
  tCellStore(const tCellStore&) = delete;
  tCellStore& operator=(const tCellStore&) = delete;

  // Null when no block can be had.
  void* Take();
  void Give(void* cell);

  // Cells given back together, under one lock.
  class Chain {
   public:
    explicit Chain(const tCellStore& store) : cellSize_(store.cellSize_) {}
    void Add(void* cell);

   private:
    friend class tCellStore;
    const std::size_t cellSize_;
    Link* first_ = nullptr;
    Link* last_ = nullptr;
  };
  void Give(Chain& chain);

 private:
  bool addBlock();

  const std::size_t cellSize_;
  // The block's first cell holds the link to the other blocks.
  const std::size_t blockBytes_;
  std::mutex mutex_;
  Link* free_ = nullptr;
  char* unused_ = nullptr;  // the rest of the newest block, never handed out yet
  char* unusedEnd_ = nullptr;
  Link* blocks_ = nullptr;  // every block, so that all stay reachable
};

// A cell of the process-wide store that `store` gives, made on its first call;
// null when memory runs out, the store's own included. For the nothrow
// allocation functions of objects that live in cells, which may not throw.
void* TakeCell(tCellStore& (*store)()) noexcept;
