#include "store/index_filler.h"

#include <algorithm>

HRESULT tIndexFiller::Add(const char* key, tAtrribute* row) {
  if (added_ - entered_ == kDepth && FAILED(enterOldest())) return E_OUTOFMEMORY;
  Entry& entry = pending_[added_ % kDepth];
  if (FAILED(entry.key.Assign(key ? key : "", 8))) return E_OUTOFMEMORY;
  entry.hash = index_.KeyHash(entry.key.c_str());
  entry.row = row;
  ++added_;
  // The bin of the entry handed over this many keys ago has arrived by now.
  if (added_ - entered_ > kChainAhead) index_.ApproachChain(pending_[(added_ - 1 - kChainAhead) % kDepth].hash);
  return S_OK;
}

HRESULT tIndexFiller::Finish() {
  while (entered_ < added_)
    if (FAILED(enterOldest())) return E_OUTOFMEMORY;
  return S_OK;
}

HRESULT tIndexFiller::enterOldest() {
  Entry& entry = pending_[entered_++ % kDepth];
  int position = 0;
  const HRESULT hr = index_.InsertHashed(entry.key.c_str(), entry.hash, entry.row, true, true, &position);
  longestChain_ = std::max(longestChain_, position);
  return FAILED(hr) ? E_OUTOFMEMORY : S_OK;
}
