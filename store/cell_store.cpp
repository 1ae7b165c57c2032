#include "store/cell_store.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "platform/fork_safety.h"
#include "platform/page_block.h"

// Under AddressSanitizer a cell waiting for reuse may not be touched, as a
// freed block may not.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define CELL_UNUSABLE(cell, size) ASAN_POISON_MEMORY_REGION(cell, size)
#define CELL_USABLE(cell, size) ASAN_UNPOISON_MEMORY_REGION(cell, size)
#else
#define CELL_UNUSABLE(cell, size) ((void)(cell), (void)(size))
#define CELL_USABLE(cell, size) ((void)(cell), (void)(size))
#endif

tCellStore::tCellStore(std::size_t cellSize, std::size_t cellsPerBlock, std::size_t alignment)
    : cellSize_((std::max(cellSize, sizeof(Link)) + alignment - 1) & ~(alignment - 1)),
      blockBytes_(cellSize_ * (cellsPerBlock + 1)) {}

tCellStore* tCellStore::ProcessWide(std::size_t cellSize, std::size_t cellsPerBlock, std::size_t alignment) {
  std::unique_ptr<tCellStore> store(new tCellStore(cellSize, cellsPerBlock, alignment));
  // Take and Give take no other lock while they hold it.
  HoldInnermostAcrossFork(store->mutex_);
  return store.release();
}

void* TakeCell(tCellStore& (*store)()) noexcept {
  try {
    return store().Take();
  } catch (const std::exception&) {
    return nullptr;
  }
}

tCellStore::~tCellStore() {
  while (Link* block = blocks_) {
    blocks_ = block->next;
    GivePages(reinterpret_cast<char*>(block), blockBytes_);
  }
}

void* tCellStore::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Link* cell = free_) {
    CELL_USABLE(cell, cellSize_);
    free_ = cell->next;
    return cell;
  }
  if (unused_ == unusedEnd_ && !addBlock()) return nullptr;
  void* cell = unused_;
  unused_ += cellSize_;
  return cell;
}

void tCellStore::Give(void* cell) {
  if (!cell) return;
  Chain chain(*this);
  chain.Add(cell);
  Give(chain);
}

void tCellStore::Chain::Add(void* cell) {
  Link* link = static_cast<Link*>(cell);
  link->next = first_;
  CELL_UNUSABLE(link, cellSize_);
  first_ = link;
  if (!last_) last_ = link;
}

void tCellStore::Give(Chain& chain) {
  if (!chain.first_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  CELL_USABLE(chain.last_, sizeof(Link));
  chain.last_->next = free_;
  CELL_UNUSABLE(chain.last_, cellSize_);
  free_ = chain.first_;
  chain.first_ = chain.last_ = nullptr;
}

// Pages are aligned beyond any cell's alignment.
bool tCellStore::addBlock() {
  char* block = TakePages(blockBytes_);
  if (!block) return false;
  Link* header = reinterpret_cast<Link*>(block);
  header->next = blocks_;
  blocks_ = header;
  unused_ = block + cellSize_;
  unusedEnd_ = block + blockBytes_;
  return true;
}
