// The enumerator that a collection's _NewEnum hands out: a snapshot of the
// collection's items, each read as a VT_DISPATCH value.
#pragma once
#include <cstddef>
#include <vector>

#include "automation/module_lock.h"
#include "platform/dispatch.h"
#include "platform/enum_variant.h"

class ItemEnumerator final : public SingleInterfaceObject<IEnumVARIANT, IID_IEnumVARIANT> {
 public:
  // The enumerator holds its own reference to every item.
  static HRESULT Create(const std::vector<IDispatch*>& items, std::size_t position, IEnumVARIANT** out);

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* values, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

 private:
  ItemEnumerator(const std::vector<IDispatch*>& items, std::size_t position);
  ~ItemEnumerator() override;

  std::vector<IDispatch*> items_;
  std::size_t position_;
  ModuleLockHolder moduleLock_;
};
