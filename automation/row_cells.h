// The cells of one "|"-joined result row.
#pragma once
#include <string>
#include <vector>

class RowCells {
 public:
  explicit RowCells(const char* row);
  // A cell beyond the last one reads "".
  const char* operator[](std::size_t index) const { return index < cells_.size() ? cells_[index].c_str() : ""; }

 private:
  std::vector<std::string> cells_;
};
