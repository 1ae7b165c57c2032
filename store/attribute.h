// One node of the configuration database: the root, a table, a table section or a row.
#pragma once
#include <cstdint>
#include <memory>

#include "store/child_list.h"
#include "store/tstring.h"

enum RowState : std::int32_t {
  kRowUnchanged = 0,
  kRowNew = 1,
  kRowEdited = 2,
  kRowDeleted = 3,
  kRowAny = 4,            // filter only, never stored
  kTableModified = 5,     // the mark on a Table node until its commit
};

// "Unchanged", "New", "Edited", "Deleted", "Any"; anything else reads "Edited".
const char* RowStateText(std::int32_t state);

class tAtrribute {
 public:
  tAtrribute();
  tAtrribute(const char* name, const char* value, std::int32_t state);
  tAtrribute(const tAtrribute&) = delete;
  tAtrribute& operator=(const tAtrribute&) = delete;
  // Unlinks from the parent and destroys the whole subtree (iteratively, so that
  // arbitrarily deep trees cannot exhaust the stack).
  ~tAtrribute();

  // Takes a node from the node pool, sets it up and appends it to the parent.
  static tAtrribute* CreateChild(tAtrribute* parent, const char* name, const char* value, std::int32_t state);
  static HRESULT AddChild(tAtrribute* parent, tAtrribute* child);
  static bool isValidAttribute(tAtrribute* node);

  // First child with that name (and value, when given), ignoring case.
  tAtrribute* FindChild(const char* name, const char* value = nullptr);
  // Unlinks the child and gives it to the node pool's deleter.
  HRESULT RemoveChild(tAtrribute* child);
  // Removes the children in `state` (all of them for kRowAny).
  HRESULT RemoveChildren(std::int32_t state, bool destroy, bool recycle);
  int ChildCount() const { return children ? children->Count() : 0; }
  tAtrribute* ChildAt(int index) const { return children ? children->At(index) : nullptr; }
  HRESULT BeginChildren();
  tAtrribute* NextChild();

  // The number of "|"-separated fields of the value, cached on first use.
  int FieldCount();

  tString name;
  tString value;
  tAtrribute* parent = nullptr;
  std::int32_t state = 0;
  tString previousValue;
  std::int32_t fieldCount = 0;
  std::unique_ptr<ChildList> children;
  tAtrribute* self;

  // Gives back a node that is no longer linked anywhere; recycled nodes may be
  // handed out again by CreateChild.
  static void Dispose(tAtrribute* node, bool recycle);
};
