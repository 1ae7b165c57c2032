// What every collection of the object model shares: the list of items, Count,
// _NewEnum, Item, Remove and RemoveAll, and the way it reads its table and
// rewrites it through the query engine of its configuration object.
#pragma once
#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>
#include <vector>

#include "automation/dispatch_object.h"
#include "automation/engine_binding.h"
#include "automation/index_or_name.h"
#include "automation/item_enumerator.h"
#include "automation/row_cells.h"
#include "query/query_engine.h"
#include "store/str_copy.h"

// The first failure among the statuses of the property puts that fill a new item.
inline HRESULT FirstFailure(std::initializer_list<HRESULT> statuses) {
  for (HRESULT hr : statuses)
    if (FAILED(hr)) return hr;
  return S_OK;
}

// Interface declares Count, _NewEnum, Item and Remove, RemoveAll; ItemClass is
// the concrete item, which implements ItemInterface.
template <class Interface, class ItemInterface, class ItemClass>
class ItemCollection : public DispatchObject<Interface> {
 public:
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(items_.size());
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    return GuardedCall("_NewEnum", nullptr, [&] {
      std::vector<IDispatch*> snapshot;
      for (ItemClass* item : items_) {
        BeforeHandOut(*item);
        snapshot.push_back(static_cast<ItemInterface*>(item));
      }
      IEnumVARIANT* items = nullptr;
      HRESULT hr = ItemEnumerator::Create(snapshot, 0, &items);
      *enumerator = items;
      return hr;
    });
  }

  HRESULT STDMETHODCALLTYPE Item(VARIANT indexOrName, ItemInterface** item) override {
    if (!item) return E_POINTER;
    int position;
    if (HRESULT hr = Locate(indexOrName, position); FAILED(hr)) return hr;
    BeforeHandOut(*items_[position]);
    return HandOut<ItemInterface>(items_[position], item);
  }

  HRESULT STDMETHODCALLTYPE Remove(VARIANT indexOrName) override {
    int position;
    if (HRESULT hr = Locate(indexOrName, position); FAILED(hr)) return hr;
    ItemClass* removed = items_[position];
    items_.erase(std::remove(items_.begin(), items_.end(), removed), items_.end());
    removed->Release();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE RemoveAll() override {
    for (ItemClass* item : items_) item->Release();
    items_.clear();
    return S_OK;
  }

  // Binds the collection to the query engine of its configuration object
  // `owner`, which the collection keeps alive (and so the engine) until it ends.
  void Bind(tSqlQueryEngine* engine, IUnknown* owner) { binding_.Bind(engine, owner); }

 protected:
  ~ItemCollection() override { RemoveAll(); }

  // The 0-based position of the item called `name`, or -1.
  virtual int FindByName(const OLECHAR* name) const = 0;
  // Where a new item goes; the list takes over the caller's reference.
  virtual void Insert(ItemClass* item) { items_.push_back(item); }
  // Called before an item leaves the collection through Item or _NewEnum.
  virtual void BeforeHandOut(ItemClass&) {}

  // The first item whose text field equals `name`, ignoring case.
  int FindByTextField(const OLECHAR* name, int field) const {
    tString wanted;
    TStringFromBstr(name, wanted);
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i]->Field(field).text.Equals(wanted)) return static_cast<int>(i);
    return -1;
  }

  // Creates an item, lets `setUp` fill it, inserts it and hands it to the caller.
  template <class SetUp>
  HRESULT AddItem(ItemInterface** out, SetUp setUp) {
    if (!out) return E_POINTER;
    ItemClass* item = NewObject<ItemClass>();
    if (!item) return E_OUTOFMEMORY;
    const HRESULT hr = GuardedCall("Add", nullptr, [&] {
      if (FAILED(setUp(*item))) return E_FAIL;
      Insert(item);
      return S_OK;
    });
    if (FAILED(hr)) {
      item->Release();
      return hr;
    }
    return HandOut<ItemInterface>(item, out);
  }

  // Runs `select` and calls `fill` with a new item and the cells of every
  // non-empty row; the item is then inserted. A failing select reads nothing.
  template <class Fill>
  void ReadRows(const char* select, Fill fill) {
    ResultSet rows;
    tSqlQueryEngine* engine = binding_.Engine();
    if (!engine || engine->Query(select, &rows, '|') != S_OK) return;
    rows.Rewind();
    while (tQueryString* row = rows.Next()) {
      if (row->text.IsEmpty()) continue;
      ItemClass* item = NewObject<ItemClass>();
      if (!item) continue;
      if (fill(*item, RowCells(row->text.c_str()))) Insert(item);
      else item->Release();
    }
  }

  // Deletes the rows with `deleteStatement`, commits, then runs the statement
  // that `buildStatement` makes for each item (false skips the item). Failing
  // inserts are passed over: the table keeps what could be written.
  template <class Build>
  HRESULT RewriteTable(const char* deleteStatement, Build buildStatement) {
    tSqlQueryEngine* engine = binding_.Engine();
    if (!engine) return E_POINTER;
    return GuardedCall("SaveTable", nullptr, [&] {
      // Built before anything changes: a value that the file cannot hold (one
      // with a line break) refuses the whole save and leaves the table as it was.
      std::vector<std::string> statements;
      tString statement;
      for (ItemClass* item : items_) {
        if (!buildStatement(*item, statement)) continue;
        if (std::strpbrk(statement.c_str(), "\r\n")) return E_INVALIDARG;
        statements.emplace_back(statement.c_str());
      }
      if (HRESULT hr = engine->Query(deleteStatement); FAILED(hr)) return hr;
      if (HRESULT hr = engine->Commit(); FAILED(hr)) return hr;
      for (const std::string& insert : statements) engine->Query(insert.c_str());
      return S_OK;
    });
  }

  std::vector<ItemClass*> items_;
  EngineBinding binding_;

 private:
  HRESULT Locate(const VARIANT& indexOrName, int& position) const {
    IndexOrName argument;
    if (HRESULT hr = ReadIndexOrName(indexOrName, static_cast<int>(items_.size()), argument); FAILED(hr)) return hr;
    position = argument.name ? FindByName(argument.name) : argument.position;
    return position < 0 ? E_FAIL : S_OK;
  }
};

// The slots of a collection interface of the common shape, in their order; Add
// takes the collection's own arguments (given after the item interface) and
// hands out the new item.
#define VEXA_COLLECTION_SLOTS(ItemInterface, ...)                         \
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;                             \
  virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;                \
  virtual HRESULT STDMETHODCALLTYPE Add(__VA_ARGS__, ItemInterface** item) = 0;             \
  virtual HRESULT STDMETHODCALLTYPE Remove(VARIANT IndexOrName) = 0;                        \
  virtual HRESULT STDMETHODCALLTYPE RemoveAll() = 0;                                        \
  virtual HRESULT STDMETHODCALLTYPE Item(VARIANT IndexOrName, ItemInterface** item) = 0;    \
  virtual HRESULT STDMETHODCALLTYPE SaveTable() = 0;

// The members of a collection interface declared with VEXA_COLLECTION_SLOTS.
template <class Interface>
constexpr std::array<DispatchMember, 7> CollectionMembers() {
  return {{
      Member<&Interface::get_Count>(L"Count", 1, MemberKind::Get),
      Member<&Interface::get__NewEnum>(L"_NewEnum", DISPID_NEWENUM, MemberKind::Get),
      Member<&Interface::Add>(L"Add", 2, MemberKind::Method),
      Member<&Interface::Remove>(L"Remove", 3, MemberKind::Method),
      Member<&Interface::RemoveAll>(L"RemoveAll", 4, MemberKind::Method),
      Member<&Interface::Item>(L"Item", 5, MemberKind::Method),
      Member<&Interface::SaveTable>(L"SaveTable", 6, MemberKind::Method),
  }};
}
