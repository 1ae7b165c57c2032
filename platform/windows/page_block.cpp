#include "platform/page_block.h"

#include "platform/windows_sdk.h"

// Windows has no flag that brings the pages in with the block: they come on first touch.
char* TakePages(size_t bytes) {
  if (bytes == 0) return nullptr;
  return static_cast<char*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void GivePages(char* block, size_t) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}
