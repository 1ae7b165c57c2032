#include "automation/vexa_config.h"
#include "tests/collection_fixture.h"

namespace {
// A file made by Create, so that it has every table of the version, with the
// sets Flight7 (active) and Other.
std::string CreateFile(ScratchDir& dir) {
  const std::string path = dir.Path("c.cfg");
  VexaConfig* config = VexaConfig::CreateInstance();
  EXPECT_EQ(config->Create(Bstr(path), VARIANT_TRUE), S_OK);
  VARIANT unused;
  VariantInit(&unused);
  EXPECT_EQ(config->Query(Bstr("Delete * from ParameterDefaultsState"), &unused), S_OK);
  for (const char* set : {"Flight7", "Other"}) {
    EXPECT_EQ(config->Query(Bstr(std::string("update ParameterDefaultsState set ParameterDefaults = '") + set +
                                 "', where 0"),
                            &unused),
              S_OK);
    EXPECT_EQ(config->Query(Bstr(std::string("update ParameterDefaults set ParameterDefaults = '") + set +
                                 "', Parameter = 'P-" + set + "', where 0"),
                            &unused),
              S_OK);
  }
  EXPECT_EQ(config->Close(VARIANT_TRUE), S_OK);
  config->Release();
  return path;
}
}  // namespace

TEST(CollectionProperties, EachReadIsAnIndependentCopySavedWithTheFile) {
  ScratchDir dir;
  const std::string path = CreateFile(dir);
  VexaConfig* config = VexaConfig::CreateInstance();
  ASSERT_EQ(config->Open(Bstr(path), VARIANT_FALSE), S_OK);
  IEvents* first = nullptr;
  IEvents* second = nullptr;
  ASSERT_EQ(config->get_Events(&first), S_OK);
  ASSERT_EQ(config->get_Events(&second), S_OK);
  EXPECT_NE(first, second);
  IEvent* event = nullptr;
  ASSERT_EQ(first->Add(Bstr("Takeoff"), Bstr("10:00"), &event), S_OK);
  event->Release();
  EXPECT_EQ(CountOf(second), 0);
  ASSERT_EQ(first->SaveTable(), S_OK);
  second->Release();

  IPlannedTestPoints* planned = nullptr;
  ASSERT_EQ(config->get_PlannedTestPoints(&planned), S_OK);
  IPlannedTestPoint* point = nullptr;
  ASSERT_EQ(planned->Add(Bstr("TP1"), &point), S_OK);
  point->Release();
  ASSERT_EQ(planned->SaveTable(), S_OK);
  planned->Release();
  ASSERT_EQ(config->Save(), S_OK);

  // The collection keeps the configuration object, and so its engine, alive.
  config->Release();
  IEvent* late = nullptr;
  ASSERT_EQ(first->Add(Bstr("Landing"), Bstr("11:00"), &late), S_OK);
  late->Release();
  EXPECT_EQ(first->SaveTable(), S_OK);
  first->Release();

  VexaConfig* reopened = VexaConfig::CreateInstance();
  ASSERT_EQ(reopened->Open(Bstr(path), VARIANT_FALSE), S_OK);
  IEvents* events = nullptr;
  ASSERT_EQ(reopened->get_Events(&events), S_OK);
  EXPECT_EQ(CountOf(events), 1);  // the late change was never saved
  ASSERT_EQ(reopened->get_PlannedTestPoints(&planned), S_OK);
  EXPECT_EQ(CountOf(planned), 1);
  for (IDispatch* object : std::initializer_list<IDispatch*>{events, planned, reopened}) object->Release();
}

TEST(CollectionProperties, ParameterDefaultsFollowTheActiveSet) {
  ScratchDir dir;
  VexaConfig* config = VexaConfig::CreateInstance();
  ASSERT_EQ(config->Open(Bstr(CreateFile(dir)), VARIANT_FALSE), S_OK);
  IParameterDefaults* defaults = nullptr;
  ASSERT_EQ(config->get_ParameterDefaults(&defaults), S_OK);
  BSTR setName = nullptr;
  defaults->get_SetName(&setName);
  EXPECT_EQ(Take(setName), "Flight7");
  IParameterDefault* item = nullptr;
  ASSERT_EQ(defaults->Item(Var(1), &item), S_OK);
  BSTR name = nullptr;
  item->get_Name(&name);
  EXPECT_EQ(Take(name), "P-Flight7");
  item->Release();
  defaults->Release();

  IParameterSets* sets = nullptr;
  ASSERT_EQ(config->get_ParameterSets(&sets), S_OK);
  IParameterSet* other = nullptr;
  ASSERT_EQ(sets->Item(Var(L"other"), &other), S_OK);
  ASSERT_EQ(other->get_ParameterDefaults(&defaults), S_OK);
  EXPECT_EQ(CountOf(defaults), 1);
  for (IDispatch* object : std::initializer_list<IDispatch*>{defaults, other, sets, config}) object->Release();
}
