#include "automation/row_cells.h"

RowCells::RowCells(const char* row) {
  const char* start = row;
  for (const char* c = row;; ++c) {
    if (*c == '|' || *c == '\0') {
      cells_.emplace_back(start, c);
      if (*c == '\0') break;
      start = c + 1;
    }
  }
}
