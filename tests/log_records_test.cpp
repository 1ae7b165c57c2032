#include "automation/log_records.h"

#include "tests/collection_fixture.h"

namespace {
std::string LogTables() {
  return StringTable("EventMarkerLog", "Group|SubGroup|User|Time|Comment|PropertyBag",
                     {"e1 g|s|u|10:00|Takeoff|", "e2 g|s|u|11:00|Landing|bag", "e3 g|s|u|12:00|TAKEOFF|"}) +
         StringTable("ThresholdLog",
                     "Group|SubGroup|User|ThesholdLevel|AnalysisWindow|DataDisplayType|Parameter|Time|Value|"
                     "DataDisplayName|Comment|PropertyBag",
                     {"t1 g|s|u|ALARM|w|strip|ALT|10:00|1.5|d|c|"}) +
         StringTable("TestPointLog", "Group|SubGroup|User|TestPoint|Description|Maneuver|StartTime|StopTime|PropertyBag",
                     {"p1 g|s|u|TP1|climb|pull|1|2|"}) +
         StringTable("SelectionsLog", "Group|SubGroup|User|Time|Value|Parameter|Filter|Display|Comment|PropertyBag",
                     {"s1 g|s|u|10:00|2.25|ALT|f|d|c|bag"}) +
         StringTable("PlannedTestPoints",
                     "Group|SubGroup|TestPoint|Description|Maneuver|AircraftConfig|FlightConditions|PredictedResults|"
                     "PropertyBag",
                     {"q1 g|s|TP9|d|m|ac|fc|pr|bag"});
}

struct LogFixture {
  LogFixture() : db(LogTables()) {}

  // A new collection of type C loaded from the fixture's tables.
  template <class C>
  C* Open() {
    C* collection = NewObject<C>();
    collection->Load(&db.engine, &owner);
    return collection;
  }
  // Runs SaveTable and commits, as the configuration object's save would.
  template <class C>
  void Save(C* collection) {
    ASSERT_EQ(collection->SaveTable(), S_OK);
    ASSERT_EQ(db.engine.Commit(), S_OK);
  }

  QueryFixture db;
  CountingOwner owner;
};

template <class I>
std::string TextOf(I* item, HRESULT (STDMETHODCALLTYPE I::*get)(BSTR*)) {
  BSTR text = nullptr;
  (item->*get)(&text);
  return Take(text);
}
}  // namespace

TEST(Events, RoundTripAndNameLookup) {
  LogFixture f;
  Events* events = f.Open<Events>();
  EXPECT_EQ(CountOf(events), 3);
  IEvent* event = nullptr;
  ASSERT_EQ(events->Item(Var(L"takeoff"), &event), S_OK);  // ignores case, first match wins
  EXPECT_EQ(TextOf(event, &IEvent::get_IrigTime), "10:00");
  event->Release();
  EXPECT_EQ(events->Item(Var(L"Cruise"), &event), E_FAIL);
  EXPECT_EQ(events->Item(Var(4), &event), E_INVALIDARG);
  ASSERT_EQ(events->Item(Var(L"2"), &event), S_OK);
  event->put_User(Bstr("bob"));
  event->put_PropBag(Bstr("it's"));
  event->Release();
  ASSERT_EQ(events->Add(Bstr("Flare"), Bstr("12:30"), &event), S_OK);
  event->Release();
  ASSERT_EQ(events->Remove(Var(1)), S_OK);
  f.Save(events);
  EXPECT_EQ(f.db.Select("select * from EventMarkerLog"),
            (Rows{"g|s|bob|11:00|Landing|it's", "g|s|u|12:00|TAKEOFF|", "|||12:30|Flare|"}));
  Events* reread = f.Open<Events>();
  EXPECT_EQ(CountOf(reread), 3);
  ASSERT_EQ(reread->RemoveAll(), S_OK);
  f.Save(reread);
  EXPECT_EQ(f.db.Run("select * from EventMarkerLog"), S_FALSE);
  events->Release();
  reread->Release();
  EXPECT_EQ(f.owner.references, 0u);
}

// The whole save is refused before the table changes.
TEST(Events, SaveTableRefusesALineBreakInAValue) {
  LogFixture f;
  Events* events = f.Open<Events>();
  IEvent* event = nullptr;
  ASSERT_EQ(events->Add(Bstr("Flare\nand more"), Bstr("12:30"), &event), S_OK);
  event->Release();
  EXPECT_EQ(events->SaveTable(), E_INVALIDARG);
  EXPECT_EQ(f.db.Select("select System.RowState,Comment from EventMarkerLog"),
            (Rows{"Unchanged|Takeoff", "Unchanged|Landing", "Unchanged|TAKEOFF"}));
  events->Release();
}

TEST(Thresholds, LevelsAndValuesRoundTrip) {
  LogFixture f;
  Thresholds* thresholds = f.Open<Thresholds>();
  IThreshold* loaded = nullptr;
  ASSERT_EQ(thresholds->Item(Var(L"alt"), &loaded), S_OK);
  VexaThresholdLevel level;
  double value;
  loaded->get_Level(&level);
  loaded->get_ValueAtBreak(&value);
  EXPECT_EQ(level, vexaAlarm);
  EXPECT_EQ(value, 1.5);
  IThreshold* added = nullptr;
  ASSERT_EQ(thresholds->Add(Bstr("MACH"), Bstr("11:00"), vexaNoThreshold, &added), S_OK);
  f.Save(thresholds);
  EXPECT_EQ(f.db.Select("select Parameter,ThesholdLevel,Value,Time from ThresholdLog"),
            (Rows{"ALT|Alarm|1.500000|10:00", "MACH||0.000000|11:00"}));
  Thresholds* reread = f.Open<Thresholds>();
  IThreshold* mach = nullptr;
  ASSERT_EQ(reread->Item(Var(L"MACH"), &mach), S_OK);
  mach->get_Level(&level);
  EXPECT_EQ(level, vexaWarning);  // no threshold is written as "" and reads back as a warning
  for (IUnknown* object : std::initializer_list<IUnknown*>{loaded, added, mach, thresholds, reread}) object->Release();
}

TEST(Testpoints, RoundTripThroughTheDifferentlySpelledDelete) {
  LogFixture f;
  Testpoints* testpoints = f.Open<Testpoints>();
  ITestpoint* added = nullptr;
  ASSERT_EQ(testpoints->Add(Bstr("TP2"), Bstr("3"), Bstr("4"), &added), S_OK);
  added->put_Maneuver(Bstr("roll"));
  f.Save(testpoints);
  EXPECT_EQ(f.db.Select("select * from TestPointLog"), (Rows{"g|s|u|TP1|climb|pull|1|2|", "|||TP2||roll|3|4|"}));
  Testpoints* reread = f.Open<Testpoints>();
  ITestpoint* tp2 = nullptr;
  ASSERT_EQ(reread->Item(Var(L"tp2"), &tp2), S_OK);
  EXPECT_EQ(TextOf(tp2, &ITestpoint::get_StopTime), "4");
  for (IUnknown* object : std::initializer_list<IUnknown*>{added, tp2, testpoints, reread}) object->Release();
}

TEST(Selections, ValuesAreFixedPointAndCellsAreNotQuoted) {
  LogFixture f;
  Selection* fresh = NewObject<Selection>();
  double value = 0;
  fresh->get_Value(&value);
  EXPECT_EQ(value, 666.0);
  fresh->Release();

  Selections* selections = f.Open<Selections>();
  ISelection* added = nullptr;
  ASSERT_EQ(selections->Add(Bstr("MACH"), Bstr("10:05"), 1.5, &added), S_OK);
  added->put_Comment(Bstr("a|b"));  // the extra cell pushes the bag out of the row
  added->put_PropBag(Bstr("lost"));
  f.Save(selections);
  EXPECT_EQ(f.db.Select("select * from SelectionsLog"),
            (Rows{"g|s|u|10:00|2.250000|ALT|f|d|c|bag", "|||10:05|1.500000|MACH|||a|b"}));
  Selections* reread = f.Open<Selections>();
  ISelection* mach = nullptr;
  ASSERT_EQ(reread->Item(Var(L"mach"), &mach), S_OK);
  mach->get_Value(&value);
  EXPECT_EQ(value, 1.5);
  for (IUnknown* object : std::initializer_list<IUnknown*>{added, mach, selections, reread}) object->Release();
}

TEST(PlannedTestPoints, MapToTheirOwnTableAndKeepUserInMemory) {
  LogFixture f;
  PlannedTestPoints* planned = f.Open<PlannedTestPoints>();
  IPlannedTestPoint* loaded = nullptr;
  ASSERT_EQ(planned->Item(Var(L"tp9"), &loaded), S_OK);
  EXPECT_EQ(TextOf(loaded, &IPlannedTestPoint::get_PredictedResults), "pr");
  EXPECT_EQ(TextOf(loaded, &IPlannedTestPoint::get_PropBag), "bag");
  IPlannedTestPoint* added = nullptr;
  ASSERT_EQ(planned->Add(Bstr("TP10"), &added), S_OK);
  added->put_User(Bstr("bob"));
  added->put_AircraftConfig(Bstr("clean"));
  f.Save(planned);
  EXPECT_EQ(f.db.Select("select * from PlannedTestPoints"), (Rows{"g|s|TP9|d|m|ac|fc|pr|bag", "||TP10|||clean|||"}));
  PlannedTestPoints* reread = f.Open<PlannedTestPoints>();
  IPlannedTestPoint* tp10 = nullptr;
  ASSERT_EQ(reread->Item(Var(2), &tp10), S_OK);
  EXPECT_EQ(TextOf(tp10, &IPlannedTestPoint::get_User), "");
  EXPECT_EQ(TextOf(tp10, &IPlannedTestPoint::get_AircraftConfig), "clean");
  for (IUnknown* object : std::initializer_list<IUnknown*>{loaded, added, tp10, planned, reread}) object->Release();
}

TEST(LogCollections, AMissingTableLoadsEmptyAndCannotBeSaved) {
  QueryFixture db(StringTable("Other", "A"));
  Events* empty = NewObject<Events>();
  empty->Load(&db.engine, nullptr);
  EXPECT_EQ(CountOf(empty), 0);
  EXPECT_EQ(empty->SaveTable(), E_FAIL);  // the delete fails: there is no table
  empty->Release();
}
