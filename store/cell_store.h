// Cells of one size carved from large blocks, for objects that are made and
// destroyed by the hundred thousand, such as the nodes of a large index: one
// heap call per block instead of one per object, and a dropped index's cells
// are handed out again as they are, not looked for among the holes it left in
// the heap. Blocks are kept as long as the store, and a process-wide store
// lasts as long as the process, as the pools do. Any thread may take and give.
#pragma once
#include <cstddef>
#include <mutex>

class tCellStore {
  struct Link {
    Link* next;
  };

 public:
  tCellStore(std::size_t cellSize, std::size_t cellsPerBlock);
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
  const std::size_t cellsPerBlock_;
  std::mutex mutex_;
  Link* free_ = nullptr;
  char* unused_ = nullptr;  // the rest of the newest block, never handed out yet
  char* unusedEnd_ = nullptr;
  Link* blocks_ = nullptr;  // every block, so that all stay reachable
};
