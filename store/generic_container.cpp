#include "store/generic_container.h"

tCellStore& ListLinkCells() {
  // About a megabyte per block.
  static auto* cells = tCellStore::ProcessWide(2 * sizeof(void*), 65536, alignof(void*));
  return *cells;
}
