// One node of the configuration database: the root, a table, a table section or a row.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "store/allocator.h"
#include "store/generic_container.h"
#include "store/hash.h"
#include "store/tstring.h"

enum RowState : std::int32_t {
  kRowUnchanged = 0,
  kRowNew = 1,
  kRowEdited = 2,
  kRowDeleted = 3,
  kRowAny = 4,            // filter only, never stored
  kTableModified = 5,     // the mark on a Table node until its commit
};

// How the node operations use a node's index.
enum IndexKeyMode : std::int32_t {
  kIndexUnused = 0,
  kIndexByName = 1,   // children keyed by name (row ids)
  kIndexByValue = 2,
};

// "Unchanged", "New", "Edited", "Deleted", "Any"; anything else reads "Edited".
const char* RowStateText(std::int32_t state);

class tAtrribute;
using tChildList = tGenericContainer<tAtrribute>;

// The process-wide pool of tree nodes. Its deleter threads destroy whole subtrees.
tAllocator<tAtrribute>& TreeNodePool();

class tAtrribute {
 public:
  tAtrribute();
  tAtrribute(const char* name, const char* value, std::int32_t state);
  tAtrribute(const tAtrribute&) = delete;
  tAtrribute& operator=(const tAtrribute&) = delete;
  // Unlinks from the parent and destroys the whole subtree (iteratively, so that
  // arbitrarily deep trees cannot exhaust the stack).
  ~tAtrribute();
  // Nodes are cells of a store of their own (see tCellStore): a large tree
  // takes its memory a block at a time, without a heap call per node.
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* node) noexcept;

  // Takes a node from the node pool, sets it up and appends it to the parent.
  static tAtrribute* CreateChild(tAtrribute* parent, const char* name, const char* value, std::int32_t state);
  // The same, with name and value left where they stand in a loaded text (see
  // tString::Borrow), which must outlive every read of them.
  static tAtrribute* CreateChildInText(tAtrribute* parent, char* name, char* value, std::int32_t state);
  static HRESULT AddChild(tAtrribute* parent, tAtrribute* child);
  static bool isValidAttribute(tAtrribute* node);

  // First child with that name (and value, when given), ignoring case.
  tAtrribute* FindChild(const char* name, const char* value = nullptr);
  // Unlinks the child and gives it to the node pool's deleter.
  HRESULT RemoveChild(tAtrribute* child);
  // Removes the children in `state` (all of them for kRowAny); with `destroy`
  // they go back to the node pool, for reuse when `recycle` is set.
  HRESULT RemoveChildren(std::int32_t state, bool destroy, bool recycle);
  int ChildCount() const { return children ? children->Count() : 0; }
  tAtrribute* ChildAt(int index) const { return children ? children->ObjectAt(index) : nullptr; }
  // Walks the children in order, or with `useIndex` the index entries under
  // `key` (all entries without a key). One walk per node at a time.
  HRESULT BeginChildren(bool useIndex = false, const char* key = nullptr);
  tAtrribute* NextChild(bool useIndex = false);

  // The number of "|"-separated fields of the value, cached on first use.
  int FieldCount();

  tString name;
  tString value;
  tAtrribute* parent = nullptr;
  std::int32_t state = 0;
  tString previousValue;
  std::unique_ptr<tHash> index;  // never owns the children it points to
  std::int32_t indexKeyMode = kIndexUnused;
  std::int32_t fieldCount = 0;
  std::unique_ptr<tChildList> children;
  tAtrribute* self;

 private:
  bool indexInUse() const { return index && indexKeyMode != kIndexUnused && index->BinCount() > 0; }
  const char* indexKey() const { return indexKeyMode == kIndexByValue ? value.Text() : name.Text(); }
  void resetForReuse();
  static tAtrribute* fromPool(tAtrribute* parent, std::int32_t state);
  static tAtrribute* linked(tAtrribute* node, bool named);
};
