// A singly linked list of object pointers with one built-in walk cursor. Links
// are never freed before the list is: a removed object's link moves behind the
// last link in use and is reused by the next add.
#pragma once
#include <cstddef>
#include <new>

#include "platform/hresult.h"
#include "platform/trace.h"
#include "store/cell_store.h"

// The store every list's links are cells of: a large table's links come a
// block at a time, without a heap call per row.
tCellStore& ListLinkCells();

template <typename T>
class tGenericContainer {
  struct Link;

 public:
  using Deleter = void (*)(T*);

  // An owning list deletes its objects when destroyed, by `deleter` when given.
  explicit tGenericContainer(bool ownsObjects = false, Deleter deleter = nullptr)
      : ownsObjects_(ownsObjects), deleter_(deleter) {}
  tGenericContainer(const tGenericContainer&) = delete;
  tGenericContainer& operator=(const tGenericContainer&) = delete;
  ~tGenericContainer();

  int Count() const { return count_; }
  // Links held, in use and spare.
  int LinkCount() const;

  HRESULT Add(T* object);
  // Removes the first link holding `object`; E_FAIL when there is none. Does
  // nothing while the list is being cleared, so that objects may unlink
  // themselves when they are deleted by Clear.
  HRESULT cleanObject(T* object, bool deleteObject);
  void Clear(bool deleteObjects);

  void Begin() { cursor_ = count_ > 0 ? head_ : nullptr; }
  T* Next();
  // The object that Next gives next, without moving the cursor.
  T* Peek() const { return cursor_ ? cursor_->object : nullptr; }
  // A look ahead of the walk that leaves the cursor where it is: Skip(n) moves
  // it on by n objects and gives the object it then stands on, null past the last.
  class LookAhead {
   public:
    explicit LookAhead(const tGenericContainer& list) : list_(list), link_(list.cursor_) {}
    T* Skip(int count) {
      for (; link_ && link_->object && count > 0; --count) link_ = link_ == list_.last_ ? nullptr : link_->next;
      return link_ ? link_->object : nullptr;
    }

   private:
    const tGenericContainer& list_;
    const Link* link_;
  };
  T* ObjectAt(int index) const;
  // The first object for which match(object) is true, without moving the cursor.
  template <typename Match>
  T* FindFirst(Match match) const;
  // One pass over the list: every object for which remove(object) is true is
  // unlinked and then handed to removed(object). The cursor must not be in use.
  template <typename Remove, typename Removed>
  int RemoveIf(Remove remove, Removed removed);
  // Hands every link to `target`, which must hold none; this list is left empty.
  void MoveLinksTo(tGenericContainer& target);

 private:
  struct Link {
    T* object;
    Link* next;
    static void* operator new(std::size_t, const std::nothrow_t&) noexcept { return TakeCell(ListLinkCells); }
    static void operator delete(void* link) noexcept { ListLinkCells().Give(link); }
  };
  static_assert(sizeof(Link) == 2 * sizeof(void*), "every list's links share one store");

  void releaseLink(Link* previous, Link* link);
  void deleteObject(T* object) const;

  int count_ = 0;
  Link* head_ = nullptr;
  Link* last_ = nullptr;  // links behind it are spares
  Link* cursor_ = nullptr;
  const bool ownsObjects_;
  const Deleter deleter_;
  bool busy_ = false;
};

template <typename T>
tGenericContainer<T>::~tGenericContainer() {
  if (ownsObjects_ && count_ > 0) {
    for (Link* link = head_;; link = link->next) {
      deleteObject(link->object);
      if (link == last_) break;
    }
  }
  while (head_) {
    Link* next = head_->next;
    delete head_;
    head_ = next;
  }
}

template <typename T>
int tGenericContainer<T>::LinkCount() const {
  int links = 0;
  for (Link* link = head_; link; link = link->next) ++links;
  return links;
}

template <typename T>
HRESULT tGenericContainer<T>::Add(T* object) {
  if (!object) return E_POINTER;
  if (!head_) {
    head_ = last_ = new (std::nothrow) Link{object, nullptr};
    if (!head_) return E_OUTOFMEMORY;
  } else if (!last_->object) {
    last_->object = object;  // an emptied list
  } else if (last_->next) {
    last_ = last_->next;
    last_->object = object;
  } else {
    Link* link = new (std::nothrow) Link{object, nullptr};
    if (!link) return E_OUTOFMEMORY;
    last_->next = link;
    last_ = link;
  }
  // The spare behind the last link in use ends every walk.
  if (last_->next) last_->next->object = nullptr;
  ++count_;
  return S_OK;
}

template <typename T>
void tGenericContainer<T>::releaseLink(Link* previous, Link* link) {
  --count_;
  if (link == head_) {
    if (link == last_) {
      link->object = nullptr;
      return;
    }
    if (!link->next) {
      DebugTrace("tGenericContainer::cleanObject, Logic error!!! Fix!!\n");
      link->object = nullptr;
      return;
    }
    head_ = link->next;
  } else if (link == last_) {
    link->object = nullptr;
    last_ = previous;
    return;
  } else {
    previous->next = link->next;
  }
  link->object = nullptr;
  link->next = last_->next;
  last_->next = link;
}

template <typename T>
HRESULT tGenericContainer<T>::cleanObject(T* object, bool deleteObject) {
  if (busy_) return S_OK;
  Link* previous = nullptr;
  for (Link* link = head_; link && link->object; previous = link, link = link->next) {
    if (link->object != object) continue;
    releaseLink(previous, link);
    if (deleteObject) this->deleteObject(object);
    return S_OK;
  }
  return E_FAIL;
}

template <typename T>
void tGenericContainer<T>::Clear(bool deleteObjects) {
  if (!head_) return;
  busy_ = true;
  if (deleteObjects && count_ > 0) {
    for (Link* link = head_;; link = link->next) {
      deleteObject(link->object);
      if (link == last_) break;
    }
  }
  last_ = head_;
  head_->object = nullptr;
  count_ = 0;
  cursor_ = nullptr;
  busy_ = false;
}

// The links and objects of a list that was built while the heap was busy lie
// scattered: the next link and object are asked for ahead, while the caller
// works on this one.
template <typename T>
T* tGenericContainer<T>::Next() {
  if (!cursor_ || !cursor_->object) return nullptr;
  T* object = cursor_->object;
  if (cursor_ == last_ && cursor_->next) cursor_->next->object = nullptr;
  cursor_ = cursor_->next;
  if (cursor_) {
    __builtin_prefetch(cursor_->next);
    __builtin_prefetch(cursor_->object);
  }
  return object;
}

template <typename T>
T* tGenericContainer<T>::ObjectAt(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  Link* link = head_;
  for (; index > 0; --index) link = link->next;
  return link->object;
}

template <typename T>
template <typename Match>
T* tGenericContainer<T>::FindFirst(Match match) const {
  for (Link* link = head_; link && link->object; link = link->next)
    if (match(link->object)) return link->object;
  return nullptr;
}

template <typename T>
template <typename Remove, typename Removed>
int tGenericContainer<T>::RemoveIf(Remove remove, Removed removed) {
  int count = 0;
  Link* previous = nullptr;
  for (Link* link = count_ > 0 ? head_ : nullptr; link;) {
    // Released links move behind the last one, so the walk ends at the old last.
    Link* next = link == last_ ? nullptr : link->next;
    if (next) {
      __builtin_prefetch(next->next);
      __builtin_prefetch(next->object);
    }
    T* object = link->object;
    if (remove(object)) {
      releaseLink(previous, link);
      removed(object);
      ++count;
    } else {
      previous = link;
    }
    link = next;
  }
  cursor_ = nullptr;
  return count;
}

template <typename T>
void tGenericContainer<T>::MoveLinksTo(tGenericContainer& target) {
  target.count_ = count_;
  target.head_ = head_;
  target.last_ = last_;
  target.cursor_ = nullptr;
  count_ = 0;
  head_ = last_ = cursor_ = nullptr;
}

template <typename T>
void tGenericContainer<T>::deleteObject(T* object) const {
  try {
    if (deleter_) deleter_(object);
    else delete object;
  } catch (...) {
    DebugTrace("Exception occured while deleting object!\n");
  }
}
