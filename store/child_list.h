// The children of a tree node in insertion order, with one built-in walk cursor.
#pragma once
#include <cstddef>
#include <vector>

#include "platform/hresult.h"

class tAtrribute;

class ChildList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  HRESULT Add(tAtrribute* child);
  // Unlinks the first occurrence; E_FAIL when absent.
  HRESULT Remove(tAtrribute* child);
  tAtrribute* At(int index) const { return index >= 0 && index < Count() ? items_[index] : nullptr; }
  // Empties the list, handing the children to the caller.
  std::vector<tAtrribute*> TakeAll();
  // Keeps the children for which keep(child) is true, in order; hands out the rest.
  template <typename Keep>
  std::vector<tAtrribute*> Partition(Keep keep);

  void Begin() { cursor_ = 0; }
  tAtrribute* Next() { return cursor_ < items_.size() ? items_[cursor_++] : nullptr; }

 private:
  std::vector<tAtrribute*> items_;
  size_t cursor_ = 0;
};

template <typename Keep>
std::vector<tAtrribute*> ChildList::Partition(Keep keep) {
  std::vector<tAtrribute*> removed;
  size_t kept = 0;
  for (tAtrribute* child : items_) {
    if (keep(child)) items_[kept++] = child;
    else removed.push_back(child);
  }
  items_.resize(kept);
  cursor_ = 0;
  return removed;
}
