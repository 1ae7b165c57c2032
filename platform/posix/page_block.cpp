#include "platform/page_block.h"

#include <sys/mman.h>

#include <cstdlib>

// Under AddressSanitizer blocks come from the heap, where reads past a piece's
// end are caught and the leak checker looks for pointers into other blocks.
// They are page-aligned as mapped pages are.
#if defined(__SANITIZE_ADDRESS__)
char* TakePages(size_t bytes) {
  constexpr size_t kPage = 4096;
  return bytes ? static_cast<char*>(std::aligned_alloc(kPage, (bytes + kPage - 1) & ~(kPage - 1))) : nullptr;
}

void GivePages(char* block, size_t) { std::free(block); }
#else
char* TakePages(size_t bytes) {
  if (bytes == 0) return nullptr;
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return block == MAP_FAILED ? nullptr : static_cast<char*>(block);
}

void GivePages(char* block, size_t bytes) {
  if (block) munmap(block, bytes);
}
#endif
