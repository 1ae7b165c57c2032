#include <gtest/gtest.h>

#include "automation/module_lock.h"
#include "platform/connection_point.h"
#include "platform/text_conversion.h"
#include "server/object_map.h"

namespace {
// A sink of one outgoing interface that counts its references.
struct Sink : IUnknown {
  explicit Sink(const IID& events) : events(events) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown && iid != events) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  IID events;
  ULONG references = 1;
};

IConnectionPointContainer* ContainerOf(IUnknown* object) {
  IConnectionPointContainer* container = nullptr;
  object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  return container;
}
}  // namespace

TEST(ConnectionPoints, OnlyClassesWithAnOutgoingInterfaceAreContainers) {
  for (const ClassEntry& entry : kObjectMap) {
    IUnknown* object = nullptr;
    ASSERT_EQ(entry.create(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    IConnectionPointContainer* container = ContainerOf(object);
    EXPECT_EQ(container != nullptr, entry.sourceIid != nullptr) << Utf8FromWide(entry.name);
    if (container) {
      IConnectionPoint* point = nullptr;
      EXPECT_EQ(container->FindConnectionPoint(*entry.iid, &point), CONNECT_E_NOCONNECTION);
      ASSERT_EQ(container->FindConnectionPoint(*entry.sourceIid, &point), S_OK);
      IID iid{};
      EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
      EXPECT_EQ(iid, *entry.sourceIid);
      IConnectionPointContainer* back = nullptr;
      ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
      EXPECT_EQ(back, container);
      back->Release();
      point->Release();

      IEnumConnectionPoints* points = nullptr;
      ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
      IConnectionPoint* listed[2] = {};
      ULONG fetched = 0;
      EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
      ASSERT_EQ(fetched, 1u);
      EXPECT_EQ(listed[0]->GetConnectionInterface(&iid), S_OK);
      EXPECT_EQ(iid, *entry.sourceIid);
      listed[0]->Release();
      points->Release();
      container->Release();
    }
    object->Release();
  }
  EXPECT_EQ(ModuleLock::Count(), 0);
}

// Sinks are kept until disconnected or until the object ends, never called.
TEST(ConnectionPoints, SinksAreKeptUntilDisconnected) {
  const ClassEntry& events = kObjectMap[6];
  ASSERT_EQ(std::wstring(events.name), L"Events");
  IUnknown* object = nullptr;
  ASSERT_EQ(events.create(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
  IConnectionPointContainer* container = ContainerOf(object);
  ASSERT_NE(container, nullptr);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(container->FindConnectionPoint(*events.sourceIid, &point), S_OK);

  Sink wrong(IID_IDispatch), first(*events.sourceIid), second(*events.sourceIid);
  DWORD cookie = 7;
  EXPECT_EQ(point->Advise(&wrong, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  DWORD firstCookie = 0, secondCookie = 0;
  ASSERT_EQ(point->Advise(&first, &firstCookie), S_OK);
  ASSERT_EQ(point->Advise(&second, &secondCookie), S_OK);
  EXPECT_NE(firstCookie, secondCookie);
  EXPECT_EQ(first.references, 2u);

  IEnumConnections* connections = nullptr;
  ASSERT_EQ(point->EnumConnections(&connections), S_OK);
  CONNECTDATA listed[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(3, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(listed[1].pUnk, &second);
  EXPECT_EQ(listed[1].dwCookie, secondCookie);
  for (ULONG i = 0; i < fetched; ++i) listed[i].pUnk->Release();
  connections->Release();

  EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
  EXPECT_EQ(first.references, 1u);
  EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
  point->Release();
  container->Release();
  object->Release();
  EXPECT_EQ(second.references, 1u);
  EXPECT_EQ(ModuleLock::Count(), 0);
}
