#include "automation/parameter_defaults.h"

#include <map>

#include "tests/collection_fixture.h"

namespace {
// A row of the parameter-defaults table: every cell empty but those given.
std::string DefaultsRow(const std::string& id, const std::map<int, std::string>& cells) {
  std::string row = id + " ";
  for (int column = 0; column < 69; ++column) {
    if (column > 0) row += "|";
    auto cell = cells.find(column);
    if (cell != cells.end()) row += cell->second;
  }
  return row;
}

struct DefaultsFixture {
  explicit DefaultsFixture(const std::vector<std::string>& rows = {})
      : db(StringTable("ParameterDefaults", ParameterDefaultsColumns(), rows)) {}

  // A loaded collection of `set`, owned by the caller.
  ParameterDefaults* Open(const char* set) {
    ParameterDefaults* defaults = NewObject<ParameterDefaults>();
    EXPECT_EQ(defaults->SetSetName(tString(set)), S_OK);
    defaults->Load(&db.engine, &owner);
    return defaults;
  }
  static std::string Name(IParameterDefault* item) {
    BSTR name = nullptr;
    item->get_Name(&name);
    return Take(name);
  }
  static std::vector<std::string> Names(ParameterDefaults* defaults) {
    std::vector<std::string> names;
    LONG count = 0;
    defaults->get_Count(&count);
    for (int i = 1; i <= count; ++i) {
      IParameterDefault* item = nullptr;
      defaults->Item(Var(i), &item);
      names.push_back(Name(item));
      item->Release();
    }
    return names;
  }

  QueryFixture db;
  CountingOwner owner;
};
}  // namespace

TEST(ParameterDefaults, NewItemIsWrittenByOneExactStatement) {
  DefaultsFixture f;
  ParameterDefaults* defaults = f.Open("ParameterSet1");
  IParameterDefault* item = nullptr;
  ASSERT_EQ(defaults->Add(Bstr("ALT"), vexaFloatingPoint, 10.0, &item), S_OK);
  tString statement;
  ASSERT_TRUE(defaults->InsertStatement(*static_cast<ParameterDefault*>(item), statement));
  EXPECT_STREQ(statement.c_str(),
               "update ParameterDefaults set Parameter = 'ALT', ParameterDefaults = 'ParameterSet1', ParamType = "
               "'float', ParamGroup = '', ParamSubGroup = '', ShortName = '', LongName = '', Units = '', Color = "
               "16711680, Width = 1, DataSourceType = 'Tpp', DataSourceArguement = '', UpdateRate = '10.000000', "
               "LLNegative = -100.000000, LLPositive = 100.000000, TScaleRangeMin = -1.000000, TScaleRangeMax = "
               "1.000000, TScaleAuto = 'Off', FScaleRangeMin = 0.000000, FScaleRangeMax = 1.000000, FScaleAuto = "
               "'Off', WThreshRangeMin = -5000.000000, WThreshRangeMax = 5000.000000, WThreshColor = 65535, "
               "WThreshLabel = '', WThreshLineWidth = 1, AThreshRangeMin = -10000.000000, AThreshRangeMax = "
               "10000.000000, AThreshColor = 255, AThreshLabel = '', AThreshLineWidth = 1, FilterActive = 'No', "
               "FilterAlgorithm = '', FilterPassType = 'LowPass', FilterLowCutoff = 5.000000,FilterHighCutoff = "
               "10.000000, FilterOrder = 2, WildPointRangeMin = -10000.000000, WildPointRangeMax = 10000.000000,   "
               "WildPointCorMethod = 'LastValue', WildPointCorValue = 0.000000, SignChange = 'No', NullCorrection = "
               "'No', NullBaseline = 0.000000, NullBias = 0.000000, NullGroup = 'WeaponsBay', SpikeDetectionMethod = "
               "'AbsoluteChange', SpikeCorMethod = 'None', SpikeChangeLimit = 100.000000, ComputeType = 'PSD', "
               "ExcitationSignal = '', WindowType = 'Hanning', Alpha = '2.0', AveragingMethod = 'Frequency', Overlap "
               "= 90.000000, BlocksPerAverage = 5, BlockSize = '1024', StringLookupTable = '', ");
  // The statement adds the row it describes.
  ASSERT_EQ(defaults->SaveTable(), S_OK);
  EXPECT_EQ(f.db.Select("select ParameterDefaults,Parameter,UpdateRate,Color,Alpha,PropertyBag from ParameterDefaults"),
            Rows{"ParameterSet1|ALT|10.000000|16711680|2.0|"});
  item->Release();
  defaults->Release();
}

TEST(ParameterDefaults, RoundTripRewritesOnlyTheSet) {
  DefaultsFixture f({DefaultsRow("r1", {{0, "ParameterSet1"}, {1, "ALT"}, {2, "weird"}, {11, "a\xCE" "b"},
                                        {8, "255"}, {9, "3"}, {13, "-2.5"}, {44, "kept?"}}),
                     DefaultsRow("r2", {{0, "PARAMETERSET1"}, {1, "Mach"}, {60, "Hamming"}}),
                     DefaultsRow("r3", {{0, "Other"}, {1, "Speed"}})});
  ParameterDefaults* defaults = f.Open("ParameterSet1");
  EXPECT_EQ(DefaultsFixture::Names(defaults), (std::vector<std::string>{"ALT", "Mach"}));
  IParameterDefault* alt = nullptr;
  ASSERT_EQ(defaults->Item(Var(L"ALT"), &alt), S_OK);
  VexaDataType type;
  BSTR argument = nullptr;
  OLE_COLOR color;
  LONG width;
  double limit;
  alt->get_DataType(&type);
  alt->get_DataSourceArgument(&argument);
  alt->get_Color(&color);
  alt->get_Width(&width);
  alt->get_LoadLimitNegative(&limit);
  EXPECT_EQ(type, vexaFloatingPoint);  // unnamed text reads as float
  EXPECT_EQ(Take(argument), "a|b");
  EXPECT_EQ(color, 255u);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(limit, -2.5);

  IParameterDefault* mach = nullptr;
  ASSERT_EQ(defaults->Item(Var(L"Mach"), &mach), S_OK);
  mach->put_Units(Bstr("O'Neil"));
  mach->put_WindowType(vexaWindowTypeNone);
  BSTR argumentPut = SysAllocString(L"x|y \u00B5\u00E4");  // "µ" and "ä" are bytes of the narrow code page
  mach->put_DataSourceArgument(argumentPut);
  SysFreeString(argumentPut);
  IParameterDefault* beta = nullptr;
  ASSERT_EQ(defaults->Add(Bstr("Beta"), vexaDouble, 5.0, &beta), S_OK);
  ASSERT_EQ(defaults->Remove(Var(L"ALT")), S_OK);
  ASSERT_EQ(defaults->SaveTable(), S_OK);
  ASSERT_EQ(f.db.engine.Commit(), S_OK);
  EXPECT_EQ(f.db.Select("select ParameterDefaults,Parameter,ParamType,Units,WindowType,DataSourceArguement,NullAverage "
                        "from ParameterDefaults"),
            (Rows{"Other|Speed|||||", "ParameterSet1|Beta|double||Hanning||", "ParameterSet1|Mach|float|O'Neil||x\xCEy \xB5\xE4|"}));

  ParameterDefaults* reread = f.Open("parameterset1");
  EXPECT_EQ(DefaultsFixture::Names(reread), (std::vector<std::string>{"Beta", "Mach"}));
  IParameterDefault* machAgain = nullptr;
  ASSERT_EQ(reread->Item(Var(L"Mach"), &machAgain), S_OK);
  VexaWindowType window;
  machAgain->get_WindowType(&window);
  EXPECT_EQ(window, vexaHanning);  // "none" is written as "" and comes back as Hanning
  BSTR machArgument = nullptr;
  machAgain->get_DataSourceArgument(&machArgument);
  EXPECT_EQ(std::wstring(machArgument), L"x|y \u00B5\u00E4");
  SysFreeString(machArgument);
  for (IUnknown* object : std::initializer_list<IUnknown*>{alt, mach, beta, machAgain})
    object->Release();
  defaults->Release();
  reread->Release();
  EXPECT_EQ(f.owner.references, 0u);
}

TEST(ParameterDefaults, NameOrderAndCaseSensitiveBisection) {
  DefaultsFixture f;
  ParameterDefaults* defaults = f.Open("Set");
  for (const char* name : {"B", "a", "A", "B"}) {
    IParameterDefault* item = nullptr;
    ASSERT_EQ(defaults->Add(Bstr(name), vexaInteger, 1.0, &item), S_OK);
    item->Release();
  }
  EXPECT_EQ(DefaultsFixture::Names(defaults), (std::vector<std::string>{"A", "B", "B", "a"}));
  IParameterDefault* item = nullptr;
  EXPECT_EQ(defaults->Item(Var(L"a"), &item), S_OK);
  EXPECT_EQ(DefaultsFixture::Name(item), "a");
  item->Release();
  EXPECT_EQ(defaults->Item(Var(L"b"), &item), E_FAIL);
  EXPECT_EQ(defaults->Item(Var(L"3"), &item), S_OK);  // a numeric string is an index
  EXPECT_EQ(DefaultsFixture::Name(item), "B");
  item->Release();
  EXPECT_EQ(defaults->Item(Var(0), &item), E_INVALIDARG);
  EXPECT_EQ(defaults->Item(Var(5), &item), E_INVALIDARG);
  EXPECT_EQ(defaults->Item(Var(), &item), E_INVALIDARG);
  EXPECT_EQ(defaults->Remove(Var(L"b")), E_FAIL);
  defaults->Release();
}

TEST(ParameterDefaults, ItemsLeftOutOfSaveTable) {
  DefaultsFixture f({DefaultsRow("r1", {{0, "Set"}, {1, "Old"}})});
  ParameterDefaults* defaults = f.Open("Set");
  IParameterDefault* marked = nullptr;
  IParameterDefault* unnamed = nullptr;
  defaults->Item(Var(1), &marked);
  marked->put_Delete(VARIANT_TRUE);
  defaults->Add(Bstr(""), vexaInteger, 1.0, &unnamed);
  LONG count = 0;
  defaults->get_Count(&count);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(defaults->SaveTable(), S_OK);
  EXPECT_EQ(f.db.Run("select * from ParameterDefaults"), S_FALSE);
  marked->Release();
  unnamed->Release();
  defaults->Release();

  ParameterDefaults* unbound = NewObject<ParameterDefaults>();
  EXPECT_EQ(unbound->SetSetName(tString("")), E_FAIL);
  EXPECT_EQ(unbound->SaveTable(), E_POINTER);
  unbound->Release();
}

TEST(EnumerationTexts, WriteAndReadBack) {
  EXPECT_STREQ(kWindowTypeTexts.Write(vexaWindowTypeNone), "");
  EXPECT_EQ(kWindowTypeTexts.Parse(""), vexaHanning);
  EXPECT_EQ(kWindowTypeTexts.Parse("kaiser-BESSEL"), vexaKaiserBessel);
  EXPECT_EQ(kThresholdLevelTexts.Parse(kThresholdLevelTexts.Write(vexaNoThreshold)), vexaWarning);
  EXPECT_EQ(kThresholdLevelTexts.Parse(kThresholdLevelTexts.Write(vexaAlarm)), vexaAlarm);
  EXPECT_STREQ(kDataTypeTexts.Write(vexaInteger), "int");
  EXPECT_EQ(kDataTypeTexts.Parse("ULONG"), vexaUnsignedLong);
  EXPECT_STREQ(kComputeTypeTexts.Write(vexaPhaseGain), "Phase vs. Gain");
  EXPECT_EQ(kComputeTypeTexts.Parse("?"), vexaPsd);
  EXPECT_STREQ(kAlphaTexts.Write(vexaAlphaThreePointFive), "3.5");
  EXPECT_STREQ(kBlockSizeTexts.Write(vexaBlock65536), "65536");
  EXPECT_EQ(kBlockSizeTexts.Parse("100"), vexaBlock1024);
  EXPECT_EQ(kNullGroupTexts.Parse(""), vexaAircraftGroup);
}
