#include "store/cell_store.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

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

namespace {
// Cells start on cache lines, so that a cell of one line is read with one miss.
constexpr std::size_t kLine = 64;
}  // namespace

tCellStore::tCellStore(std::size_t cellSize, std::size_t cellsPerBlock)
    : cellSize_((std::max(cellSize, sizeof(Link)) + kLine - 1) / kLine * kLine), cellsPerBlock_(cellsPerBlock) {}

tCellStore::~tCellStore() {
  while (Link* block = blocks_) {
    blocks_ = block->next;
    std::free(block);
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

bool tCellStore::addBlock() {
  // The block's first line links it to the others; the cells follow, aligned.
  char* block = static_cast<char*>(std::malloc(kLine + cellSize_ * cellsPerBlock_ + kLine));
  if (!block) return false;
  Link* header = reinterpret_cast<Link*>(block);
  header->next = blocks_;
  blocks_ = header;
  const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(block) + 2 * kLine - 1) / kLine * kLine;
  unused_ = reinterpret_cast<char*>(start);
  unusedEnd_ = unused_ + cellSize_ * cellsPerBlock_;
  return true;
}
