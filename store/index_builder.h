// Enters the keys of many rows into an index at once. The keys are hashed in
// the order given, then entered bin by bin, each bin's keys still in the order
// given, so the index ends up exactly as with one Insert per key (replacing,
// matching the row too). Entered at random, each key waits for its bin and
// chain to come from memory; entered bin by bin, the bins are read in order
// and each chain is the one just made, its nodes side by side.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/hash.h"

class tIndexBuilder {
 public:
  // `expectedKeys` only saves growing the list of keys.
  tIndexBuilder(tHash& index, std::size_t expectedKeys);
  // A key of `length` bytes, not necessarily terminated.
  HRESULT Add(const char* key, std::size_t length, tAtrribute* row);
  // Enters the keys added; E_FAIL when the index is not sized.
  HRESULT Finish();
  // The largest chain position an entry was given.
  int LongestChain() const { return longestChain_; }

 private:
  struct Entry {
    std::size_t key;  // where the key starts in keys_
    std::uint32_t length;
    std::uint32_t hash;
    tAtrribute* row;
  };

  tHash& index_;
  std::vector<Entry> entries_;
  // The keys side by side, copied while their rows are at hand: read again in
  // bin order from the rows, each would be a miss of the cache.
  std::string keys_;
  int longestChain_ = 0;
};
