#include "store/attribute.h"

#include <vector>

#include "platform/trace.h"

namespace {
constexpr int kNameGrowStep = 8;

// Children become ours to destroy: detach them so that no destructor recurses.
void DestroyDescendants(tAtrribute* node) {
  if (!node->children) return;
  std::vector<tAtrribute*> pending = node->children->TakeAll();
  while (!pending.empty()) {
    tAtrribute* next = pending.back();
    pending.pop_back();
    if (next->children) {
      std::vector<tAtrribute*> grandChildren = next->children->TakeAll();
      pending.insert(pending.end(), grandChildren.begin(), grandChildren.end());
    }
    next->parent = nullptr;
    delete next;
  }
}
}  // namespace

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
  if (parent && parent->children) parent->children->Remove(this);
  DestroyDescendants(this);
}

void tAtrribute::Dispose(tAtrribute* node, bool /*recycle*/) { delete node; }

tAtrribute* tAtrribute::CreateChild(tAtrribute* parent, const char* nodeName, const char* nodeValue,
                                    std::int32_t nodeState) {
  auto* node = new (std::nothrow) tAtrribute();
  if (!node) return nullptr;
  node->parent = parent;
  node->state = nodeState;
  if (FAILED(node->name.Assign(nodeName, kNameGrowStep)) || FAILED(node->value.Assign(nodeValue, kNameGrowStep)) ||
      (parent && FAILED(AddChild(parent, node)))) {
    node->parent = nullptr;
    delete node;
    return nullptr;
  }
  return node;
}

HRESULT tAtrribute::AddChild(tAtrribute* parent, tAtrribute* child) {
  if (!parent || !child) return E_POINTER;
  if (!parent->children) {
    parent->children.reset(new (std::nothrow) ChildList());
    if (!parent->children) return E_OUTOFMEMORY;
  }
  return parent->children->Add(child);
}

bool tAtrribute::isValidAttribute(tAtrribute* node) {
  // Without structured exceptions a stale node cannot be probed safely; a node
  // whose self field no longer names it is treated as the faulting case.
  if (node && node->self == node) {
    volatile tAtrribute* probe = node->self;
    node->self = const_cast<tAtrribute*>(probe);
    return true;
  }
  DebugTrace("**** Exception in VexaTemplateLib-->tAtrribute::isValidAttribute\n");
  return false;
}

tAtrribute* tAtrribute::FindChild(const char* wantedName, const char* wantedValue) {
  if (!children) return nullptr;
  for (int i = 0, count = children->Count(); i < count; ++i) {
    tAtrribute* child = children->At(i);
    if (child->name.Equals(wantedName) && (!wantedValue || child->value.Equals(wantedValue))) return child;
  }
  return nullptr;
}

HRESULT tAtrribute::RemoveChild(tAtrribute* child) {
  if (!children) return E_FAIL;
  HRESULT hr = children->Remove(child);
  if (FAILED(hr)) return hr;
  child->parent = nullptr;
  Dispose(child, false);
  return S_OK;
}

HRESULT tAtrribute::RemoveChildren(std::int32_t wantedState, bool destroy, bool recycle) {
  if (!children) return S_OK;
  std::vector<tAtrribute*> removed =
      wantedState == kRowAny ? children->TakeAll()
                             : children->Partition([wantedState](tAtrribute* c) { return c->state != wantedState; });
  for (tAtrribute* child : removed) {
    child->parent = nullptr;
    if (destroy) Dispose(child, recycle);
  }
  return S_OK;
}

HRESULT tAtrribute::BeginChildren() {
  if (!children) return E_FAIL;
  children->Begin();
  return S_OK;
}

tAtrribute* tAtrribute::NextChild() { return children ? children->Next() : nullptr; }

int tAtrribute::FieldCount() {
  if (fieldCount == 0) fieldCount = value.CountFields('|');
  return fieldCount;
}
