#include "automation/parameter_sets.h"

#include "tests/collection_fixture.h"

namespace {
std::string SetTables() {
  std::string defaultsRows[] = {"ParameterSet1|ALT", "SET1|Mach", "Set1|Beta", "Set2|Speed"};
  std::vector<std::string> rows;
  int id = 0;
  for (const std::string& cells : defaultsRows) rows.push_back("d" + std::to_string(++id) + " " + cells +
                                                               std::string(67, '|'));
  return StringTable("ParameterDefaultsState", "ParameterDefaults|Group|isActive|PropertyBag",
                     {"s1 Set1|Flight|TRUE|", "s2 Set2||false|", "s3 ParameterSet1|x|True|bag"}) +
         StringTable("ParameterDefaults", ParameterDefaultsColumns(), rows);
}

struct SetsFixture {
  SetsFixture() : db(SetTables()) {
    sets = NewObject<ParameterSets>();
    sets->Load(&db.engine, &owner);
  }
  ~SetsFixture() {
    if (sets) sets->Release();
  }

  QueryFixture db;
  CountingOwner owner;
  ParameterSets* sets;
};
}  // namespace

TEST(ParameterSets, LoadReadsNameGroupAndActiveFlag) {
  SetsFixture f;
  LONG count = 0;
  f.sets->get_Count(&count);
  EXPECT_EQ(count, 3);
  IParameterSet* set = nullptr;
  ASSERT_EQ(f.sets->Item(Var(2), &set), S_OK);
  BSTR group = nullptr;
  VARIANT_BOOL active = VARIANT_TRUE;
  set->get_Group(&group);
  set->get_IsActive(&active);
  EXPECT_EQ(Take(group), "");
  EXPECT_EQ(active, VARIANT_FALSE);
  set->Release();
  ASSERT_EQ(f.sets->Item(Var(L"set1"), &set), S_OK);
  set->get_IsActive(&active);
  EXPECT_EQ(active, VARIANT_TRUE);
  set->Release();
  EXPECT_EQ(f.sets->Item(Var(0), &set), E_INVALIDARG);
}

// The set's defaults are read through the engine that the collection handed it,
// and the set-name filter ignores case.
TEST(ParameterSets, SetHandedOutByItemOpensItsDefaults) {
  SetsFixture f;
  IParameterSet* set = nullptr;
  ASSERT_EQ(f.sets->Item(Var(L"SET1"), &set), S_OK);
  IParameterDefaults* defaults = nullptr;
  ASSERT_EQ(set->get_ParameterDefaults(&defaults), S_OK);
  EXPECT_EQ(CountOf(defaults), 2);
  BSTR name = nullptr;
  defaults->get_SetName(&name);
  EXPECT_EQ(Take(name), "Set1");
  defaults->Release();

  // The set keeps the configuration object alive after its collection is gone.
  f.sets->Release();
  f.sets = nullptr;
  EXPECT_EQ(f.owner.references, 1u);
  set->put_SetName(Bstr(""));
  EXPECT_EQ(set->get_ParameterDefaults(&defaults), E_FAIL);
  set->Release();
  EXPECT_EQ(f.owner.references, 0u);
}

TEST(ParameterSets, AddedSetHasNoEngineUntilHandedOut) {
  SetsFixture f;
  IParameterSet* added = nullptr;
  ASSERT_EQ(f.sets->Add(Bstr("Set2"), Bstr("g"), VARIANT_TRUE, &added), S_OK);
  IParameterDefaults* defaults = nullptr;
  EXPECT_EQ(added->get_ParameterDefaults(&defaults), E_POINTER);
  IParameterSet* again = nullptr;
  ASSERT_EQ(f.sets->Item(Var(4), &again), S_OK);
  ASSERT_EQ(added->get_ParameterDefaults(&defaults), S_OK);
  EXPECT_EQ(CountOf(defaults), 1);
  for (IUnknown* object : std::initializer_list<IUnknown*>{defaults, again, added}) object->Release();
}

TEST(ParameterSets, SaveTableRewritesTheSetsOnly) {
  SetsFixture f;
  IParameterSet* set = nullptr;
  ASSERT_EQ(f.sets->Item(Var(L"Set2"), &set), S_OK);
  set->put_IsActive(1);  // only -1 is true
  set->Release();
  ASSERT_EQ(f.sets->Remove(Var(L"parameterset1")), S_OK);
  ASSERT_EQ(f.sets->Add(Bstr(""), Bstr("unnamed"), VARIANT_TRUE, &set), S_OK);
  set->Release();
  ASSERT_EQ(f.sets->Add(Bstr("Set3"), Bstr("g"), VARIANT_TRUE, &set), S_OK);
  set->Release();
  ASSERT_EQ(f.sets->SaveTable(), S_OK);
  ASSERT_EQ(f.db.engine.Commit(), S_OK);
  EXPECT_EQ(f.db.Select("select * from ParameterDefaultsState"),
            (Rows{"Set1|Flight|True|", "Set2||False|", "Set3|g|True|"}));
  EXPECT_EQ(f.db.Select("select Parameter from ParameterDefaults where ParameterDefaults = 'ParameterSet1'"),
            Rows{"ALT"});
}

TEST(ParameterSets, EnumeratorHandsOutEverySetWithTheEngine) {
  SetsFixture f;
  IUnknown* unknown = nullptr;
  ASSERT_EQ(f.sets->get__NewEnum(&unknown), S_OK);
  IEnumVARIANT* enumerator = nullptr;
  ASSERT_EQ(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&enumerator)), S_OK);
  unknown->Release();
  f.sets->RemoveAll();  // the enumerator holds a snapshot
  VARIANT values[4];
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Next(4, values, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 3u);
  for (ULONG i = 0; i < fetched; ++i) {
    ASSERT_EQ(values[i].vt, VT_DISPATCH);
    IParameterDefaults* defaults = nullptr;
    EXPECT_EQ(static_cast<IParameterSet*>(values[i].pdispVal)->get_ParameterDefaults(&defaults), S_OK);
    defaults->Release();
    VariantClear(&values[i]);
  }
  EXPECT_EQ(enumerator->Reset(), S_OK);
  EXPECT_EQ(enumerator->Skip(3), S_OK);
  EXPECT_EQ(enumerator->Skip(1), S_FALSE);
  enumerator->Release();
}
