// Connection points of the classes that declare an outgoing interface. The
// outgoing interfaces have no members: a caller may connect its sink, and the
// object keeps it until it is disconnected or the object ends, but never calls it.
#pragma once
#include <cstddef>
#include <new>
#include <vector>

#include "automation/module_lock.h"
#include "platform/connection_point.h"

namespace connection_detail {
inline void Hold(IConnectionPoint* point) { point->AddRef(); }
inline void Hold(const CONNECTDATA& connection) { connection.pUnk->AddRef(); }
inline void LetGo(IConnectionPoint* point) { point->Release(); }
inline void LetGo(const CONNECTDATA& connection) { connection.pUnk->Release(); }

// An enumerator over a snapshot of elements that it holds a reference to; each
// element handed out carries a reference of its own.
template <class Enumerator, class Element, const IID& kIid>
class SnapshotEnumerator final : public SingleInterfaceObject<Enumerator, kIid> {
 public:
  static HRESULT Create(const std::vector<Element>& elements, std::size_t position, Enumerator** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* enumerator = new (std::nothrow) SnapshotEnumerator();
    if (!enumerator) return E_OUTOFMEMORY;
    try {
      enumerator->elements_ = elements;
    } catch (const std::bad_alloc&) {
      delete enumerator;
      return E_OUTOFMEMORY;
    }
    for (const Element& element : elements) Hold(element);
    enumerator->position_ = position;
    enumerator->AddRef();
    *out = enumerator;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Element* out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    ULONG given = 0;
    for (; given < count && position_ < elements_.size(); ++given, ++position_) {
      out[given] = elements_[position_];
      Hold(out[given]);
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = elements_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Enumerator** copy) override { return Create(elements_, position_, copy); }

 private:
  SnapshotEnumerator() = default;
  ~SnapshotEnumerator() override {
    for (const Element& element : elements_) LetGo(element);
  }

  std::vector<Element> elements_;
  std::size_t position_ = 0;
  ModuleLockHolder moduleLock_;
};
}  // namespace connection_detail

// Base is the class's dispatch object; kSourceIid its outgoing interface.
template <class Base, const IID& kSourceIid>
class WithConnectionPoint : public Base, public IConnectionPointContainer {
 public:
  using Base::Base;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object && iid == IID_IConnectionPointContainer) {
      *object = static_cast<IConnectionPointContainer*>(this);
      AddRef();
      return S_OK;
    }
    return Base::QueryInterface(iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (!points) return E_POINTER;
    *points = nullptr;
    IConnectionPoint* point = nullptr;
    if (HRESULT hr = FindConnectionPoint(kSourceIid, &point); FAILED(hr)) return hr;
    const HRESULT hr = PointEnumerator::Create({point}, 0, points);
    point->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != kSourceIid) return CONNECT_E_NOCONNECTION;
    auto* found = new (std::nothrow) SourcePoint(*this);
    if (!found) return E_OUTOFMEMORY;
    *point = found;
    return S_OK;
  }

 protected:
  ~WithConnectionPoint() override {
    for (const CONNECTDATA& sink : sinks_) sink.pUnk->Release();
  }

 private:
  using PointEnumerator =
      connection_detail::SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, IID_IEnumConnectionPoints>;
  using ConnectionEnumerator =
      connection_detail::SnapshotEnumerator<IEnumConnections, CONNECTDATA, IID_IEnumConnections>;

  // The point keeps its container, which keeps the sinks.
  class SourcePoint final : public SingleInterfaceObject<IConnectionPoint, IID_IConnectionPoint> {
   public:
    explicit SourcePoint(WithConnectionPoint& container) : container_(container) {
      container_.AddRef();
      this->AddRef();
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
      if (!iid) return E_POINTER;
      *iid = kSourceIid;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
      if (!container) return E_POINTER;
      container_.AddRef();
      *container = &container_;
      return S_OK;
    }
    // The sink must answer the outgoing interface.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
      if (!sink || !cookie) return E_POINTER;
      *cookie = 0;
      void* events = nullptr;
      if (FAILED(sink->QueryInterface(kSourceIid, &events))) return CONNECT_E_CANNOTCONNECT;
      try {
        container_.sinks_.push_back({static_cast<IUnknown*>(events), container_.nextCookie_});
      } catch (const std::bad_alloc&) {
        static_cast<IUnknown*>(events)->Release();
        return E_OUTOFMEMORY;
      }
      *cookie = container_.nextCookie_++;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
      auto& sinks = container_.sinks_;
      for (auto sink = sinks.begin(); sink != sinks.end(); ++sink) {
        if (sink->dwCookie != cookie) continue;
        IUnknown* released = sink->pUnk;
        sinks.erase(sink);
        released->Release();
        return S_OK;
      }
      return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
      return ConnectionEnumerator::Create(container_.sinks_, 0, connections);
    }

   private:
    ~SourcePoint() override { container_.Release(); }

    WithConnectionPoint& container_;
    ModuleLockHolder moduleLock_;
  };

  std::vector<CONNECTDATA> sinks_;
  DWORD nextCookie_ = 1;
};
