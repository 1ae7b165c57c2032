#include "store/index_builder.h"

#include <algorithm>
#include <new>

namespace {
constexpr std::size_t kExpectedKeyLength = 12;
}  // namespace

tIndexBuilder::tIndexBuilder(tHash& index, std::size_t expectedKeys) : index_(index) {
  try {
    entries_.reserve(expectedKeys);
    keys_.reserve(expectedKeys * kExpectedKeyLength);
  } catch (const std::bad_alloc&) {
    // Add grows the list as it goes, or reports the shortage.
  }
}

HRESULT tIndexBuilder::Add(const char* key, std::size_t length, tAtrribute* row) {
  try {
    entries_.push_back({keys_.size(), static_cast<std::uint32_t>(length), index_.HashOf(key, length), row});
    keys_.append(key, length);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

// A counting sort on the bin, which keeps the order of keys that share one.
HRESULT tIndexBuilder::Finish() {
  if (index_.BinCount() == 0) return E_FAIL;
  std::vector<Entry> byBin;
  std::vector<std::uint32_t> binStart;
  try {
    byBin.resize(entries_.size());
    binStart.assign(static_cast<std::size_t>(index_.BinCount()) + 1, 0);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (const Entry& entry : entries_) ++binStart[index_.BinOf(entry.hash) + 1];
  for (std::size_t bin = 1; bin < binStart.size(); ++bin) binStart[bin] += binStart[bin - 1];
  for (const Entry& entry : entries_) byBin[binStart[index_.BinOf(entry.hash)]++] = entry;
  std::vector<Entry>().swap(entries_);  // gone before the nodes are made

  for (const Entry& entry : byBin) {
    int position = 0;
    if (FAILED(index_.InsertHashed(keys_.data() + entry.key, entry.length, entry.hash, entry.row, true, true, &position)))
      return E_OUTOFMEMORY;
    longestChain_ = std::max(longestChain_, position);
  }
  return S_OK;
}
