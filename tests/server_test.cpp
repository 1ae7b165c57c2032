#include <gtest/gtest.h>

#include <filesystem>

#include "automation/vexa_config.h"
#include "platform/class_activation.h"
#include "platform/class_factory.h"
#include "platform/guid_text.h"
#include "platform/host_identity.h"
#include "platform/registry.h"
#include "platform/text_conversion.h"
#include "server/entry_points.h"
#include "server/object_map.h"
#include "tests/collection_fixture.h"

namespace {
std::wstring Value(const std::wstring& key, const std::wstring& name = L"") {
  std::wstring value;
  EXPECT_EQ(RegistryQueryValue(key, name, value), S_OK) << NarrowFromWide(key.c_str());
  return value;
}

std::vector<std::wstring> SubKeys(const std::wstring& key) {
  std::vector<std::wstring> names;
  RegistrySubKeys(key, names);
  return names;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  OLECHAR* names[] = {const_cast<OLECHAR*>(name)};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  return id;
}

class Registered : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryFile(dir.Path("registry.reg")); }
  ScratchDir dir;
};
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

TEST_F(Registered, RegisterWritesEveryEntryAndUnregisterLeavesOnlyTheClsidKey) {
  RegistrySetValue(L"CLSID\\" + GuidToString(CLSID_VexaConfig) + L"\\Stale", L"", L"gone after register");
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::wstring clsid = L"CLSID\\" + GuidToString(CLSID_PlannedTestPoints);
  EXPECT_EQ(Value(L"VexaConfigInterface.PlannedTestPoints.1"), L"PlannedTestPoints Class");
  EXPECT_EQ(Value(L"VexaConfigInterface.PlannedTestPoints.1\\CLSID"), GuidToString(CLSID_PlannedTestPoints));
  EXPECT_EQ(Value(L"VexaConfigInterface.PlannedTestPoints\\CurVer"), L"VexaConfigInterface.PlannedTestPoints.1");
  EXPECT_EQ(Value(clsid + L"\\ProgID"), L"VexaConfigInterface.PlannedTestPoints.1");
  EXPECT_EQ(Value(clsid + L"\\VersionIndependentProgID"), L"VexaConfigInterface.PlannedTestPoints");
  EXPECT_EQ(Value(clsid + L"\\InprocServer32"), WideFromNarrow(ExecutablePath().c_str()));
  EXPECT_EQ(Value(clsid + L"\\inprocserver32", L"threadingmodel"), L"Apartment");
  EXPECT_EQ(Value(clsid + L"\\TypeLib"), GuidToString(LIBID_VEXACONFIGINTERFACELib));
  EXPECT_EQ(SubKeys(clsid + L"\\Programmable"), std::vector<std::wstring>{});
  EXPECT_EQ(SubKeys(L"CLSID").size(), 15u);
  EXPECT_EQ(SubKeys(L"CLSID\\" + GuidToString(CLSID_VexaConfig)).size(), 5u);  // Stale is gone

  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(SubKeys(L""), std::vector<std::wstring>{L"CLSID"});
  EXPECT_EQ(SubKeys(L"CLSID"), std::vector<std::wstring>{});

  SetRegistryFile(dir.Path("missing/folder/registry.reg"));
  EXPECT_EQ(DllRegisterServer(), REGDB_E_WRITEREGDB);
}

TEST_F(Registered, RegistryFileKeepsValuesAsWritten) {
  ASSERT_EQ(RegistrySetValue(L"A\\B", L"Quoted", L"say \"x\" in C:\\dir\\"), S_OK);
  ASSERT_EQ(RegistrySetValue(L"a\\c", L"", L""), S_OK);
  EXPECT_EQ(Value(L"a\\b", L"quoted"), L"say \"x\" in C:\\dir\\");
  EXPECT_EQ(SubKeys(L"A"), (std::vector<std::wstring>{L"B", L"c"}));
  std::wstring missing;
  EXPECT_EQ(RegistryQueryValue(L"A\\B", L"", missing), REGDB_E_KEYMISSING);
  EXPECT_EQ(RegistryDeleteTree(L"A"), S_OK);
  EXPECT_EQ(RegistryDeleteTree(L"A"), S_FALSE);
  WriteTextFile(RegistryFile(), "[HKEY_LOCAL_MACHINE\\Software]\n");
  EXPECT_EQ(RegistryCreateKey(L"X"), REGDB_E_READREGDB);
}

TEST_F(Registered, ObjectsAreCreatedByProgramIdentifier) {
  AttachServerModule();
  CLSID clsid;
  EXPECT_EQ(ClassIdFromProgramId(L"VexaConfigInterface.VexaConfig", &clsid), CO_E_CLASSSTRING);
  IDispatch* config = nullptr;
  EXPECT_EQ(CreateRegisteredInstance(CLSID_VexaConfig, nullptr, IID_IDispatch, reinterpret_cast<void**>(&config)),
            REGDB_E_CLASSNOTREG);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  ASSERT_EQ(ClassIdFromProgramId(L"VexaConfigInterface.VexaConfig.1", &clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_VexaConfig);
  ASSERT_EQ(CreateRegisteredInstance(clsid, nullptr, IID_IDispatch, reinterpret_cast<void**>(&config)), S_OK);
  config->Release();
  RegistrySetValue(L"CLSID\\" + GuidToString(clsid) + L"\\InprocServer32", L"", L"/elsewhere/module");
  EXPECT_EQ(CreateRegisteredInstance(clsid, nullptr, IID_IDispatch, reinterpret_cast<void**>(&config)), CO_E_DLLNOTFOUND);
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
