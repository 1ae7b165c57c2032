// Registration into the registry file that stands in for the system's
// registry, and activation by program identifier through it. On Windows the
// real registry is checked from outside, with regsvr32 and reg.
#include <gtest/gtest.h>

#include "automation/component_ids.h"
#include "platform/class_activation.h"
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

class Registered : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryFile(dir.Path("registry.reg")); }
  ScratchDir dir;
};
}  // namespace

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
