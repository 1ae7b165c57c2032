#include "store/child_list.h"

#include <algorithm>

HRESULT ChildList::Add(tAtrribute* child) {
  if (!child) return E_POINTER;
  items_.push_back(child);
  return S_OK;
}

HRESULT ChildList::Remove(tAtrribute* child) {
  auto found = std::find(items_.begin(), items_.end(), child);
  if (found == items_.end()) return E_FAIL;
  size_t position = static_cast<size_t>(found - items_.begin());
  items_.erase(found);
  if (cursor_ > position) --cursor_;
  return S_OK;
}

std::vector<tAtrribute*> ChildList::TakeAll() {
  std::vector<tAtrribute*> all;
  all.swap(items_);
  cursor_ = 0;
  return all;
}
