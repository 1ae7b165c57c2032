#include "store/attribute.h"

#include <vector>

#include "store/cell_store.h"
#include "store/self_probe.h"

namespace {
constexpr int kNameGrowStep = 8;
// How far ahead of a walk of children their nodes and texts are asked for.
constexpr int kTextAhead = 6;
constexpr int kNodeAhead = 12;

// Unlinks every child of `node` into `pending`; they become the caller's to destroy.
void TakeChildren(tAtrribute* node, std::vector<tAtrribute*>& pending) {
  if (!node->children) return;
  node->children->RemoveIf([](tAtrribute*) { return true; },
                           [&pending](tAtrribute* child) {
                             child->parent = nullptr;
                             pending.push_back(child);
                           });
}

// Nodes reach the deleter threads already unlinked; their former parent may be
// in use on the caller's thread and must not be touched.
void DetachAndDelete(tAtrribute* node) {
  node->parent = nullptr;
  delete node;
}

tCellStore& NodeCells() {
  // About a megabyte per block.
  static auto* cells = tCellStore::ProcessWide(sizeof(tAtrribute), 10000, alignof(tAtrribute));
  return *cells;
}
}  // namespace

void* tAtrribute::operator new(std::size_t size) {
  if (void* node = operator new(size, std::nothrow)) return node;
  throw std::bad_alloc();
}

void* tAtrribute::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return size == sizeof(tAtrribute) ? TakeCell(NodeCells) : nullptr;
}

void tAtrribute::operator delete(void* node) noexcept { NodeCells().Give(node); }

tAllocator<tAtrribute>& TreeNodePool() {
  static auto* pool = new tAllocator<tAtrribute>(DetachAndDelete);
  return *pool;
}

const char* RowStateText(std::int32_t state) {
  switch (state) {
    case kRowUnchanged: return "Unchanged";
    case kRowNew: return "New";
    case kRowDeleted: return "Deleted";
    case kRowAny: return "Any";
    default: return "Edited";
  }
}

tAtrribute::tAtrribute() : self(this) {}

tAtrribute::tAtrribute(const char* nodeName, const char* nodeValue, std::int32_t nodeState)
    : state(nodeState), self(this) {
  name.Assign(nodeName, kNameGrowStep);
  value.Assign(nodeValue, kNameGrowStep);
}

tAtrribute::~tAtrribute() {
  if (parent && parent->children) parent->children->cleanObject(this, false);
  std::vector<tAtrribute*> pending;
  TakeChildren(this, pending);
  while (!pending.empty()) {
    tAtrribute* next = pending.back();
    pending.pop_back();
    TakeChildren(next, pending);
    delete next;
  }
}

// Only rows are recycled in practice, and they have no children and no index;
// whatever a reused node held is dropped so that it starts like a fresh one.
void tAtrribute::resetForReuse() {
  if (ChildCount() > 0) {
    std::vector<tAtrribute*> pending;
    TakeChildren(this, pending);
    for (tAtrribute* child : pending) delete child;
  }
  index.reset();
  indexKeyMode = kIndexUnused;
  fieldCount = 0;
  previousValue.Clear();
}

tAtrribute* tAtrribute::fromPool(tAtrribute* parent, std::int32_t nodeState) {
  bool reused = false;
  tAtrribute* node = TreeNodePool().Get(reused);
  if (!node) return nullptr;
  if (reused) node->resetForReuse();
  node->parent = parent;
  node->state = nodeState;
  return node;
}

// Appends a node whose name and value are set (`named`) to its parent; else
// the node goes back to the pool.
tAtrribute* tAtrribute::linked(tAtrribute* node, bool named) {
  if (named && (!node->parent || SUCCEEDED(AddChild(node->parent, node)))) return node;
  node->parent = nullptr;
  TreeNodePool().GiveBack(node, true);
  return nullptr;
}

tAtrribute* tAtrribute::CreateChild(tAtrribute* parent, const char* nodeName, const char* nodeValue,
                                    std::int32_t nodeState) {
  tAtrribute* node = fromPool(parent, nodeState);
  if (!node) return nullptr;
  return linked(node, SUCCEEDED(node->name.Assign(nodeName, kNameGrowStep)) &&
                          SUCCEEDED(node->value.Assign(nodeValue, kNameGrowStep)));
}

tAtrribute* tAtrribute::CreateChildInText(tAtrribute* parent, char* nodeName, char* nodeValue, std::int32_t nodeState) {
  tAtrribute* node = fromPool(parent, nodeState);
  if (!node) return nullptr;
  node->name.Borrow(nodeName);
  node->value.Borrow(nodeValue);
  return linked(node, true);
}

HRESULT tAtrribute::AddChild(tAtrribute* parent, tAtrribute* child) {
  if (!parent || !child) return E_POINTER;
  if (!parent->children) {
    parent->children.reset(new (std::nothrow) tChildList());
    if (!parent->children) return E_OUTOFMEMORY;
  }
  HRESULT hr = parent->children->Add(child);
  if (SUCCEEDED(hr) && parent->indexInUse()) parent->index->Insert(child->indexKey(), child, true, false, nullptr);
  return hr;
}

bool tAtrribute::isValidAttribute(tAtrribute* node) {
  return ProbeSelf(node, "**** Exception in VexaTemplateLib-->tAtrribute::isValidAttribute\n");
}

tAtrribute* tAtrribute::FindChild(const char* wantedName, const char* wantedValue) {
  if (!children) return nullptr;
  auto matches = [wantedName, wantedValue](tAtrribute* child) {
    return child->name.Equals(wantedName) && (!wantedValue || child->value.Equals(wantedValue));
  };
  if (indexInUse()) {
    tAtrribute* hit = index->Find(indexKeyMode == kIndexByValue ? wantedValue : wantedName);
    // Other key columns may share the index, so the entry under that text can
    // belong to another row; only then is the walk needed.
    if (!hit || matches(hit)) return hit;
  }
  return children->FindFirst(matches);
}

HRESULT tAtrribute::RemoveChild(tAtrribute* child) {
  if (!children || FAILED(children->cleanObject(child, false))) return E_FAIL;
  if (indexInUse()) index->RemoveItem(child->indexKey(), child);
  TreeNodePool().GiveBack(child, false);
  return S_OK;
}

HRESULT tAtrribute::RemoveChildren(std::int32_t wantedState, bool destroy, bool recycle) {
  if (!children) return S_OK;
  if (wantedState == kRowAny) {
    TreeNodePool().GiveBackAll(*children, destroy, recycle);
  } else {
    children->RemoveIf([wantedState](tAtrribute* child) { return child->state == wantedState; },
                       [destroy, recycle](tAtrribute* child) {
                         if (destroy) TreeNodePool().GiveBack(child, recycle);
                       });
  }
  if (index) index->Clear();
  return S_OK;
}

HRESULT tAtrribute::BeginChildren(bool useIndex, const char* key) {
  if (useIndex) return index ? index->Begin(key) : E_FAIL;
  if (!children) return E_FAIL;
  children->Begin();
  return S_OK;
}

tAtrribute* tAtrribute::NextChild(bool useIndex) {
  if (!useIndex) {
    tAtrribute* child = children ? children->Next() : nullptr;
    // The rows of a large table lie far apart in memory, and a walk reads little
    // of each: it asks for the row twelve places ahead, and for the text of the
    // row six places ahead, whose node has arrived by then.
    if (!child) return nullptr;
    tGenericContainer<tAtrribute>::LookAhead ahead(*children);
    if (const tAtrribute* soon = ahead.Skip(kTextAhead)) {
      __builtin_prefetch(soon->value.Text());
      if (const tAtrribute* later = ahead.Skip(kNodeAhead - kTextAhead)) __builtin_prefetch(later);
    }
    return child;
  }
  tAtrribute* child = index ? index->Next(false) : nullptr;
  return child && isValidAttribute(child) ? child : nullptr;
}

int tAtrribute::FieldCount() {
  if (fieldCount == 0) fieldCount = value.CountFields('|');
  return fieldCount;
}
