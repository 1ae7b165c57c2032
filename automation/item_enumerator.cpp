#include "automation/item_enumerator.h"

#include <new>

HRESULT ItemEnumerator::Create(const std::vector<IDispatch*>& items, std::size_t position, IEnumVARIANT** out) {
  if (!out) return E_POINTER;
  ItemEnumerator* enumerator = nullptr;
  try {
    enumerator = new ItemEnumerator(items, position);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  enumerator->AddRef();
  *out = enumerator;
  return S_OK;
}

ItemEnumerator::ItemEnumerator(const std::vector<IDispatch*>& items, std::size_t position)
    : items_(items), position_(position) {
  for (IDispatch* item : items_) item->AddRef();
}

ItemEnumerator::~ItemEnumerator() {
  for (IDispatch* item : items_) item->Release();
}

HRESULT STDMETHODCALLTYPE ItemEnumerator::Next(ULONG count, VARIANT* values, ULONG* fetched) {
  if (!values || (count > 1 && !fetched)) return E_POINTER;
  ULONG copied = 0;
  for (; copied < count && position_ < items_.size(); ++copied, ++position_) {
    VariantInit(&values[copied]);
    values[copied].vt = VT_DISPATCH;
    values[copied].pdispVal = items_[position_];
    items_[position_]->AddRef();
  }
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ItemEnumerator::Skip(ULONG count) {
  const std::size_t left = items_.size() - position_;
  position_ += count < left ? count : left;
  return count <= left ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ItemEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ItemEnumerator::Clone(IEnumVARIANT** copy) { return Create(items_, position_, copy); }
