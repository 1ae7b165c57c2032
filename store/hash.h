// The primary-key index of a table: maps key texts, compared without regard to
// case, to row nodes. It never owns the rows. Its nodes come from and go back
// to the process-wide index-node pool.
#pragma once
#include <cstdint>
#include <memory>
#include <new>

#include "store/allocator.h"
#include "store/tstring.h"

class tAtrribute;

struct tHashNode {
  tHashNode() : self(this) {}
  // The key may point into the node itself.
  tHashNode(const tHashNode&) = delete;
  tHashNode& operator=(const tHashNode&) = delete;
  // A key shorter than the node's own room is kept there, beside the hash that
  // a chain walk reads, instead of in a block of its own.
  HRESULT SetKey(const char* text, std::size_t length);
  // Nodes are made in cells of a store of their own (see tCellStore).
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* node) noexcept;
  static void operator delete(void* node, const std::nothrow_t&) noexcept { operator delete(node); }

  tString key;
  tAtrribute* item = nullptr;
  tHashNode* next = nullptr;
  // The hash of the upper-cased key: a chain is walked on these, and a key read
  // only where they agree, since each key is one more miss of the cache.
  std::uint32_t keyHash = 0;
  tHashNode* self;  // always the node's own address; see isValidNode
  char shortKey[16];
};

tAllocator<tHashNode>& IndexNodePool();

class tHash {
 public:
  static constexpr std::uint32_t kSeed = 19;

  tHash();
  tHash(const tHash&) = delete;
  tHash& operator=(const tHash&) = delete;
  ~tHash();

  // Empties the index and gives it the smallest power of two of bins that is at least `items`.
  HRESULT Size(int items);
  // E_FAIL when unsized, E_ABORT for an equal key without `replace`. `position`
  // receives the place in the bin chain: the matching node, or the number of
  // nodes the chain held before the new one was appended (1 for an empty bin).
  // With `matchItem` a node matches only when it holds the same item too.
  HRESULT Insert(const char* key, tAtrribute* item, bool replace, bool matchItem, int* position);
  // The same in steps, for a caller entering many keys: the hash by which a
  // key is filed, the bin it goes to, and the entry of a key of `length` bytes
  // (not necessarily terminated) whose hash is known.
  std::uint32_t HashOf(const char* key, std::size_t length);
  int BinOf(std::uint32_t hash) const { return static_cast<int>(hash & static_cast<std::uint32_t>(binCount_ - 1)); }
  HRESULT InsertHashed(const char* key, std::size_t length, std::uint32_t hash, tAtrribute* item, bool replace,
                       bool matchItem, int* position);
  tAtrribute* Find(const char* key);
  // S_FALSE (logged) when no node holds that key and item.
  HRESULT RemoveItem(const char* key, tAtrribute* item);
  // Gives every node back and leaves the index unsized.
  void Clear();

  // One walk at a time: all entries, or with a key only the entries under it.
  // S_FALSE when unsized or empty, E_FAIL when nothing is stored under the key.
  HRESULT Begin(const char* key);
  // The item of the next entry, or null at the end; `thisBinOnly` stops at the end of the chain.
  tAtrribute* Next(bool thisBinOnly, tHashNode** node = nullptr);
  static bool isValidNode(tHashNode* node);

  int BinCount() const { return binCount_; }
  int ItemCount() const { return itemCount_; }
  // The primary key: column names separated by ",".
  tString& KeyColumns() { return keyColumns_; }

  // The lookup2 hash of `key` with all right shifts arithmetic.
  static std::uint32_t HashKey(const char* key, std::size_t length, std::uint32_t seed);

 private:
  // The hash of the upper-cased key (keys that differ only in case share a bin).
  std::uint32_t hashOf(const char* key);
  void resetWalk();

  std::unique_ptr<tHashNode*[]> bins_;
  int binCount_ = 0;
  int itemCount_ = 0;
  const std::uint32_t seed_ = kSeed;
  tString keyScratch_;
  tString iterationKey_;
  bool keyedWalk_ = false;
  tString keyColumns_;
  int iterationBin_ = -1;
  tHashNode* iterationNode_ = nullptr;
};
