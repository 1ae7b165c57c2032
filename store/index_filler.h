// Enters many keys into an index in the order given, each a few keys after it
// was handed over: meanwhile its bin and the first node of its chain come into
// the cache, which a large index otherwise waits for at every key.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/hash.h"

class tIndexFiller {
 public:
  explicit tIndexFiller(tHash& index) : index_(index) {}
  // Enters (replacing, matching the row too) as the index's Insert does, later;
  // E_OUTOFMEMORY once an entry could not be made.
  HRESULT Add(const char* key, tAtrribute* row);
  // Enters what is still pending.
  HRESULT Finish();
  // The largest chain position an entry was given.
  int LongestChain() const { return longestChain_; }

 private:
  static constexpr std::size_t kDepth = 16;
  static constexpr std::size_t kChainAhead = 8;
  struct Entry {
    tString key;
    std::uint32_t hash = 0;
    tAtrribute* row = nullptr;
  };
  HRESULT enterOldest();

  tHash& index_;
  Entry pending_[kDepth];
  std::size_t added_ = 0;
  std::size_t entered_ = 0;
  int longestChain_ = 0;
};
