#include <gtest/gtest.h>

#include "automation/vexa_config.h"
#include "platform/class_factory.h"
#include "platform/text_conversion.h"
#include "server/entry_points.h"
#include "server/object_map.h"
#include "tests/collection_fixture.h"

namespace {
DISPID IdOf(IDispatch* object, const wchar_t* name) {
  OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  return id;
}
}  // namespace

TEST(Server, EveryClassComesFromItsClassObject) {
  for (const ClassEntry& entry : kObjectMap) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(*entry.clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IDispatch* object = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, *entry.iid, reinterpret_cast<void**>(&object)), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    void* aggregated = nullptr;
    EXPECT_EQ(factory->CreateInstance(object, IID_IDispatch, &aggregated), CLASS_E_NOAGGREGATION);
    object->Release();
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), S_OK) << NarrowFromWide(entry.name);
  }
  void* none = &none;
  EXPECT_EQ(DllGetClassObject(IID_IVexaConfig, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_Events, IID_IUnknown, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);  // a class object does not hold the module
  factory->LockServer(TRUE);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(Server, ConfigurationObjectByName) {
  ScratchDir dir;
  VexaConfig* config = VexaConfig::CreateInstance();
  EXPECT_EQ(IdOf(config, L"open"), 1);
  EXPECT_EQ(IdOf(config, L"Version"), 6);
  EXPECT_EQ(IdOf(config, L"PlannedTestPoints"), 14);
  EXPECT_EQ(IdOf(config, L"QUERY"), 50);

  // The optional booleans default to true: the existing log is deleted.
  WriteTextFile(dir.Path("log.txt"), "old\n");
  Var path(WideFromNarrow(dir.Path("log.txt").c_str()).c_str());
  DISPPARAMS one{&path, nullptr, 1, 0};
  ASSERT_EQ(config->Invoke(IdOf(config, L"OpenMessageLog"), IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr,
                           nullptr),
            S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("log.txt")).find("old"), std::string::npos);

  ISupportErrorInfo* support = nullptr;
  ASSERT_EQ(config->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IVexaConfig), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IEvents), S_FALSE);
  support->Release();
  config->Release();
}
