#include "store/hash.h"

#include <cstring>
#include <new>

#include "platform/trace.h"
#include "store/cell_store.h"
#include "store/self_probe.h"

namespace {
constexpr int kKeyGrowStep = 8;

std::uint32_t ShiftRight(std::uint32_t value, int bits) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(value) >> bits);
}

// The lookup2 mix on signed words; the subtractions wrap as two's complement.
void Mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
  a = (a - b - c) ^ ShiftRight(c, 13);
  b = (b - c - a) ^ ShiftRight(a, 8);
  c = (c - a - b) ^ ShiftRight(b, 13);
  a = (a - b - c) ^ ShiftRight(c, 12);
  b = (b - c - a) ^ ShiftRight(a, 16);
  c = (c - a - b) ^ ShiftRight(b, 5);
  a = (a - b - c) ^ ShiftRight(c, 3);
  b = (b - c - a) ^ ShiftRight(a, 10);
  c = (c - a - b) ^ ShiftRight(b, 15);
}

std::uint32_t Word(const unsigned char* bytes) {
  return bytes[0] | (static_cast<std::uint32_t>(bytes[1]) << 8) | (static_cast<std::uint32_t>(bytes[2]) << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
}

tCellStore& IndexNodeCells() {
  static auto* cells = tCellStore::ProcessWide(sizeof(tHashNode), 4096);
  return *cells;
}

// Nodes destroyed at once, whose cells go back to the store together.
class DestroyedNodes {
 public:
  DestroyedNodes() = default;
  DestroyedNodes(const DestroyedNodes&) = delete;
  DestroyedNodes& operator=(const DestroyedNodes&) = delete;
  ~DestroyedNodes() { IndexNodeCells().Give(cells_); }
  void Add(tHashNode* node) {
    node->~tHashNode();
    cells_.Add(node);
  }

 private:
  tCellStore::Chain cells_{IndexNodeCells()};
};

void GiveBackNode(tHashNode* node) {
  node->item = nullptr;
  node->next = nullptr;
  IndexNodePool().GiveBack(node, true);
}
}  // namespace

HRESULT tHashNode::SetKey(const char* text, std::size_t length) {
  if (length < sizeof shortKey && !key.Owned()) {
    std::memcpy(shortKey, text, length);
    shortKey[length] = '\0';
    key.Borrow(shortKey);
    return S_OK;
  }
  return key.Assign(text, length, kKeyGrowStep);
}

void* tHashNode::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return size <= sizeof(tHashNode) ? TakeCell(IndexNodeCells) : nullptr;
}

void tHashNode::operator delete(void* node) noexcept { IndexNodeCells().Give(node); }

tAllocator<tHashNode>& IndexNodePool() {
  static auto* pool = new tAllocator<tHashNode>();
  return *pool;
}

std::uint32_t tHash::HashKey(const char* key, std::size_t length, std::uint32_t seed) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(key);
  std::uint32_t a = 0x9E3779B9u, b = 0x9E3779B9u, c = seed;
  std::size_t left = length;
  for (; left >= 12; bytes += 12, left -= 12) {
    a += Word(bytes);
    b += Word(bytes + 4);
    c += Word(bytes + 8);
    Mix(a, b, c);
  }
  c += static_cast<std::uint32_t>(length);
  switch (left) {
    case 11: c += static_cast<std::uint32_t>(bytes[10]) << 24; [[fallthrough]];
    case 10: c += static_cast<std::uint32_t>(bytes[9]) << 16; [[fallthrough]];
    case 9: c += static_cast<std::uint32_t>(bytes[8]) << 8; [[fallthrough]];
    case 8: b += static_cast<std::uint32_t>(bytes[7]) << 24; [[fallthrough]];
    case 7: b += static_cast<std::uint32_t>(bytes[6]) << 16; [[fallthrough]];
    case 6: b += static_cast<std::uint32_t>(bytes[5]) << 8; [[fallthrough]];
    case 5: b += bytes[4]; [[fallthrough]];
    case 4: a += static_cast<std::uint32_t>(bytes[3]) << 24; [[fallthrough]];
    case 3: a += static_cast<std::uint32_t>(bytes[2]) << 16; [[fallthrough]];
    case 2: a += static_cast<std::uint32_t>(bytes[1]) << 8; [[fallthrough]];
    case 1: a += bytes[0]; break;
    default: break;
  }
  Mix(a, b, c);
  return c;
}

tHash::tHash() { IndexNodePool(); }

tHash::~tHash() { Clear(); }

std::uint32_t tHash::hashOf(const char* key) { return key ? HashOf(key, std::strlen(key)) : HashOf("", 0); }

std::uint32_t tHash::HashOf(const char* key, std::size_t length) {
  keyScratch_.Assign(key, length, kKeyGrowStep);
  keyScratch_.UpperCase();
  return HashKey(keyScratch_.c_str(), length, seed_);
}

HRESULT tHash::Size(int items) {
  if (items < 1) return E_INVALIDARG;
  if (bins_) Clear();
  int bits = 0;
  while ((1 << bits) < items) ++bits;
  bins_.reset(new (std::nothrow) tHashNode*[1 << bits]());
  if (!bins_) return E_OUTOFMEMORY;
  binCount_ = 1 << bits;
  itemCount_ = 0;
  return S_OK;
}

HRESULT tHash::Insert(const char* key, tAtrribute* item, bool replace, bool matchItem, int* position) {
  if (!bins_) return E_FAIL;
  if (!key) key = "";
  const std::size_t length = std::strlen(key);
  return InsertHashed(key, length, HashOf(key, length), item, replace, matchItem, position);
}

HRESULT tHash::InsertHashed(const char* key, std::size_t length, std::uint32_t hash, tAtrribute* item, bool replace,
                            bool matchItem, int* position) {
  if (!bins_) return E_FAIL;
  tHashNode** link = &bins_[BinOf(hash)];
  int chained = 0;
  for (; *link; link = &(*link)->next) {
    ++chained;
    tHashNode* node = *link;
    if (node->keyHash == hash && node->key.ComparePrefix(key, static_cast<int>(length)) == 0 &&
        node->key.c_str()[length] == '\0' && (!matchItem || node->item == item)) {
      if (!replace) return E_ABORT;
      node->item = item;
      if (position) *position = chained;
      return S_OK;
    }
  }
  bool reused;
  tHashNode* node = IndexNodePool().Get(reused);
  if (!node) return E_OUTOFMEMORY;
  if (FAILED(node->SetKey(key, length))) {
    GiveBackNode(node);
    return E_OUTOFMEMORY;
  }
  node->keyHash = hash;
  node->item = item;
  node->next = nullptr;
  *link = node;
  ++itemCount_;
  if (position) *position = chained == 0 ? 1 : chained;
  return S_OK;
}

tAtrribute* tHash::Find(const char* key) {
  if (!bins_) return nullptr;
  const std::uint32_t hash = hashOf(key);
  for (tHashNode* node = bins_[BinOf(hash)]; node; node = node->next)
    if (node->keyHash == hash && node->key.Equals(key ? key : "")) return node->item;
  return nullptr;
}

HRESULT tHash::RemoveItem(const char* key, tAtrribute* item) {
  if (!bins_) return E_FAIL;
  const std::uint32_t hash = hashOf(key);
  for (tHashNode** link = &bins_[BinOf(hash)]; *link; link = &(*link)->next) {
    tHashNode* node = *link;
    if (node->item != item || node->keyHash != hash || !node->key.Equals(key ? key : "")) continue;
    // A walk standing on this node goes on behind it.
    if (iterationNode_ == node) iterationNode_ = node->next;
    *link = node->next;
    GiveBackNode(node);
    --itemCount_;
    return S_OK;
  }
  DebugTrace("tHash::RemoveItem, failed to find the item to remove... WTF??\n");
  return S_FALSE;
}

// The nodes that the free queue has no room for are destroyed at once: a node
// holds nothing that takes long to destroy.
void tHash::Clear() {
  DestroyedNodes surplus;
  for (int bin = 0; bins_ && bin < binCount_; ++bin) {
    while (tHashNode* node = bins_[bin]) {
      bins_[bin] = node->next;
      node->item = nullptr;
      node->next = nullptr;
      if (!IndexNodePool().KeepForReuse(node)) surplus.Add(node);
    }
  }
  bins_.reset();
  binCount_ = 0;
  itemCount_ = 0;
  resetWalk();
}

void tHash::resetWalk() {
  keyedWalk_ = false;
  iterationBin_ = -1;
  iterationNode_ = nullptr;
}

HRESULT tHash::Begin(const char* key) {
  resetWalk();
  if (!bins_) return S_FALSE;
  if (key) {
    keyedWalk_ = true;
    if (FAILED(iterationKey_.Assign(key, kKeyGrowStep))) return E_OUTOFMEMORY;
    const std::uint32_t hash = hashOf(key);
    iterationBin_ = BinOf(hash);
    for (tHashNode* node = bins_[iterationBin_]; node; node = node->next) {
      if (node->keyHash == hash && node->key.Equals(key)) {
        iterationNode_ = node;
        return S_OK;
      }
    }
    return E_FAIL;
  }
  for (int bin = 0; bin < binCount_; ++bin) {
    if (bins_[bin]) {
      iterationBin_ = bin;
      iterationNode_ = bins_[bin];
      return S_OK;
    }
  }
  return S_FALSE;
}

tAtrribute* tHash::Next(bool thisBinOnly, tHashNode** found) {
  if (!bins_ || itemCount_ == 0) return nullptr;
  for (;;) {
    while (!iterationNode_) {
      // The entries under one key all stand in one bin.
      if (thisBinOnly || keyedWalk_ || iterationBin_ < 0 || ++iterationBin_ >= binCount_) return nullptr;
      iterationNode_ = bins_[iterationBin_];
    }
    tHashNode* node = iterationNode_;
    if (!isValidNode(node)) {
      resetWalk();
      return nullptr;
    }
    iterationNode_ = node->next;
    if (keyedWalk_ && !node->key.Equals(iterationKey_)) continue;
    if (found) *found = node;
    return node->item;
  }
}

bool tHash::isValidNode(tHashNode* node) {
  return ProbeSelf(node, "**** Exception in VexaTemplateLib-->tHashNode::isValidNode\n");
}
