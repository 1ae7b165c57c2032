#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "automation/vexa_config.h"
#include "platform/file_replace.h"
#include "platform/native_file.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"
#include "storage/default_source.h"
#include "tests/test_support.h"

namespace {
std::string ConfigWithSets(const std::string& rows, const std::string& version = "VersionFivePointZero") {
  return "Root " + version +
         "\n{\nTable ParameterDefaultsState\n{\nTableDefinition ParameterDefaults|Group|isActive|PropertyBag\n"
         "TableType String|String|list(True,False)|string\nTableContents\n" +
         (rows.empty() ? "" : "{\n" + rows + "}\n") +
         "}\nTable Parts\n{\nTableDefinition Name|Count\nTableType String|Int\nTableContents\n{\n"
         "p1 wing|1\np2 tail|2\np3 flap|3\n}\n}\n}\n";
}

class Configuration : public ::testing::Test {
 protected:
  void SetUp() override { config = VexaConfig::CreateInstance(); }
  void TearDown() override { config->Release(); }

  HRESULT Open(const std::string& name, VARIANT_BOOL backup = VARIANT_TRUE) {
    return config->Open(Bstr(dir.Path(name)), backup);
  }
  // The rows of a query, or the status when it is not S_OK.
  std::vector<std::string> Rows(const std::string& statement) {
    VARIANT results;
    VariantInit(&results);
    HRESULT hr = config->Query(Bstr(statement), &results);
    std::vector<std::string> rows;
    if (hr != S_OK) return {DescribeHResult(hr)};
    if (results.vt == VT_EMPTY) return rows;
    EXPECT_EQ(results.vt, VT_ARRAY | VT_BSTR);
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(results.parray, 1, &lower);
    SafeArrayGetUBound(results.parray, 1, &upper);
    EXPECT_EQ(lower, 0);
    for (LONG i = lower; i <= upper; ++i) {
      BSTR row = nullptr;
      SafeArrayGetElement(results.parray, &i, &row);
      rows.push_back(NarrowFromWide(row));
      SysFreeString(row);
    }
    VariantClear(&results);
    return rows;
  }
  // The log is a text file: its lines end as the platform's text files do.
  std::string Log() { return ReadTextModeFile(dir.Path("messages.log")); }

  ScratchDir dir;
  VexaConfig* config = nullptr;
};
}  // namespace

TEST_F(Configuration, OpenFindsTheVersionAndTheActiveSet) {
  WriteTextFile(dir.Path("four.cfg"), ConfigWithSets("s1 Flight7|g|True|\ns2 Other||False|\n", "  VersionFourPointZero  "));
  ASSERT_EQ(Open("four.cfg"), S_OK);
  LONG version = 0;
  config->get_Version(&version);
  EXPECT_EQ(version, 4);
  EXPECT_STREQ(config->ActiveParameterSet().c_str(), "Flight7");
  EXPECT_TRUE(std::filesystem::exists(dir.Path("four.cfg.Backup")));

  WriteTextFile(dir.Path("old.cfg"), ConfigWithSets("", "VersionThreePointFour"));
  config->OpenMessageLog(Bstr(dir.Path("messages.log")), VARIANT_TRUE);
  EXPECT_EQ(Open("old.cfg", VARIANT_FALSE), E_FAIL);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("old.cfg.Backup")));
  EXPECT_NE(Log().find("Open Error: Configuration file: ( " + dir.Path("old.cfg") + " ) is pre 3.4.5\n"), std::string::npos);
  EXPECT_EQ(Open("missing.cfg"), E_FAIL);
  EXPECT_NE(Log().find("Open: Unable to load VEXA configuration file: ( " + dir.Path("missing.cfg") + " )\n"),
            std::string::npos);
}

TEST_F(Configuration, OpenSaysWhenAFileEndsInsideABlock) {
  config->OpenMessageLog(Bstr(dir.Path("messages.log")), VARIANT_TRUE);
  std::string text = ConfigWithSets("a||True|\n");
  WriteTextFile(dir.Path("whole.cfg"), text);
  WriteTextFile(dir.Path("cut.cfg"), text.substr(0, text.rfind("}\n}\n")));
  ASSERT_EQ(Open("whole.cfg"), S_OK);
  EXPECT_EQ(Log().find("ends inside a block"), std::string::npos);
  ASSERT_EQ(Open("cut.cfg"), S_OK);
  EXPECT_NE(Log().find("Open: Configuration file ends inside a block, it may be cut off: ( " + dir.Path("cut.cfg") + " )"),
            std::string::npos);
}

TEST_F(Configuration, AFileWithoutParameterSetsGetsOneOnSave) {
  WriteTextFile(dir.Path("c.cfg"), ConfigWithSets(""));
  ASSERT_EQ(Open("c.cfg", VARIANT_FALSE), S_OK);
  EXPECT_STREQ(config->ActiveParameterSet().c_str(), "ParameterSet1");
  EXPECT_EQ(Rows("select System.RowState,* from ParameterDefaultsState"),
            (std::vector<std::string>{"New|ParameterSet1||True|"}));
  ASSERT_EQ(config->Close(VARIANT_TRUE), S_OK);
  EXPECT_NE(ReadTextFile(dir.Path("c.cfg")).find(" ParameterSet1||True|\r\n"), std::string::npos);
}

TEST_F(Configuration, CloseSavesUnlessToldNotToAndASecondOpenSavesTheFirst) {
  WriteTextFile(dir.Path("a.cfg"), ConfigWithSets("s1 Set||True|\n"));
  WriteTextFile(dir.Path("b.cfg"), ConfigWithSets("s1 Set||True|\n"));
  const std::string original = ReadTextFile(dir.Path("a.cfg"));
  ASSERT_EQ(Open("a.cfg"), S_OK);
  ASSERT_EQ(Rows("update Parts set * = rudder|4").size(), 0u);
  ASSERT_EQ(config->Close(VARIANT_FALSE), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("a.cfg")), original);
  // The closed tree still answers until the next load.
  EXPECT_EQ(Rows("select Name from Parts where Count = 4"), (std::vector<std::string>{"rudder"}));

  ASSERT_EQ(Open("a.cfg"), S_OK);
  Rows("delete from Parts where Name = 'tail'");
  ASSERT_EQ(Open("b.cfg"), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("a.cfg")).find("tail"), std::string::npos);

  config->OpenMessageLog(Bstr(dir.Path("messages.log")), VARIANT_TRUE);
  ASSERT_EQ(config->Close(VARIANT_FALSE), S_OK);
  EXPECT_EQ(config->Save(), S_OK);
  EXPECT_EQ(config->Close(VARIANT_TRUE), S_OK);
  const std::string log = Log();
  EXPECT_NE(log.find("*\n* Message Log Open on: "), std::string::npos);
  EXPECT_NE(log.find("Save: Called but configuration file was never opened\n"), std::string::npos);
  EXPECT_NE(log.find("Close: Called but configuration file was never opened\n"), std::string::npos);
}

TEST_F(Configuration, QueryHandsBackOneStringPerRow) {
  EXPECT_EQ(Rows("select * from Parts"), (std::vector<std::string>{"E_FAIL (0x80004005)"}));  // nothing loaded
  WriteTextFile(dir.Path("q.cfg"), ConfigWithSets("s1 Set||True|\n"));
  ASSERT_EQ(Open("q.cfg"), S_OK);
  EXPECT_EQ(Rows("select Name, Count from Parts"), (std::vector<std::string>{"wing|1", "tail|2", "flap|3"}));
  EXPECT_EQ(Rows("select * from Parts where Name = 'none'"), (std::vector<std::string>{"S_FALSE (0x00000001)"}));
  EXPECT_TRUE(Rows("update Parts set Count = 5 where Name = 'wing'").empty());
  EXPECT_EQ(Rows("commit"), (std::vector<std::string>{"E_INVALIDARG (0x80070057)"}));
}

TEST_F(Configuration, VersionFromFileReadsOnlyTheFirstLine) {
  auto versionOf = [&](const std::string& name, std::string& out) {
    BSTR version = nullptr;
    HRESULT hr = config->get_VersionFromFile(Bstr(dir.Path(name)), &version);
    out = version ? NarrowFromWide(version) : "";
    SysFreeString(version);
    return hr;
  };
  std::string version;
  WriteTextFile(dir.Path("v.cfg"), "Root VersionFivePointZero\r\n{\n");
  EXPECT_EQ(versionOf("v.cfg", version), S_OK);
  EXPECT_EQ(version, "VersionFivePointZero");
  WriteTextFile(dir.Path("nospace.cfg"), "Root\n");
  EXPECT_EQ(versionOf("nospace.cfg", version), E_FAIL);
  config->OpenMessageLog(Bstr(dir.Path("messages.log")), VARIANT_TRUE);
  EXPECT_EQ(versionOf("missing.cfg", version), E_FAIL);
  EXPECT_NE(Log().find("Version: Failed to open config file: ( " + dir.Path("missing.cfg") + " )\n"), std::string::npos);
}

TEST_F(Configuration, CreateWritesEachVersionWithItsUpgrades) {
  ASSERT_EQ(config->Create(Bstr(dir.Path("five.cfg")), VARIANT_FALSE), S_OK);
  EXPECT_FALSE(config->IsOpened());
  BSTR name = nullptr;
  config->get_VersionFromFile(Bstr(dir.Path("five.cfg")), &name);
  EXPECT_STREQ(name, L"VersionFivePointZero");
  SysFreeString(name);

  config->put_Version(3);
  ASSERT_EQ(config->Create(Bstr(dir.Path("three.cfg")), VARIANT_TRUE), S_OK);
  EXPECT_TRUE(config->IsOpened());
  EXPECT_EQ(Rows("select System.TableDefinition from Macros"), (std::vector<std::string>{"Group|Macro|Command|PropertyBag"}));
  EXPECT_EQ(Rows("select * from LogBehavior"), (std::vector<std::string>{"TestPointLog|No|No|"}));
  EXPECT_EQ(Rows("select * from UnitConversions").size(), 107u);
  EXPECT_EQ(Rows("select * from TableFilters").size(), 3u);
  EXPECT_EQ(Rows("select System.RowState from UnitConversions where System.RowState = New").size(), 0u);

  config->OpenMessageLog(Bstr(dir.Path("messages.log")), VARIANT_TRUE);
  config->put_Version(7);
  EXPECT_EQ(config->Create(Bstr(dir.Path("seven.cfg")), VARIANT_FALSE), E_FAIL);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("seven.cfg")));
  EXPECT_NE(Log().find("Create: Unknown Version Number: ( 7 )\n"), std::string::npos);
  config->put_Version(5);
  EXPECT_EQ(config->Create(Bstr(dir.Path("no/folder.cfg")), VARIANT_FALSE), E_FAIL);
  EXPECT_NE(Log().find("Create: Could not open configuration file: ( " + dir.Path("no/folder.cfg") + " ): cannot create "),
            std::string::npos);
}

// Greek letters, which Windows-1252 cannot write, in the folder and the file
// names: every entry point that takes a name must reach that very file.
TEST_F(Configuration, NamesOutsideWindows1252ReachTheirFiles) {
  namespace fs = std::filesystem;
  const std::string folder = dir.Path(u8"Δοκιμές");
  const std::string plain = folder + u8"/Δοκιμή.cfg", archive = folder + u8"/Αρχείο.zip";
  const std::string log = folder + u8"/Καταγραφή.log";
  ASSERT_TRUE(fs::create_directory(FileSystemPath(folder)));
  config->OpenMessageLog(Bstr(log), VARIANT_TRUE);

  ASSERT_EQ(config->Create(Bstr(plain), VARIANT_TRUE), S_OK);
  EXPECT_TRUE(Rows("update Colors set * = 255|red").empty());
  ASSERT_EQ(config->Save(), S_OK);
  ASSERT_EQ(config->Open(Bstr(plain), VARIANT_TRUE), S_OK);
  EXPECT_EQ(Rows("select Color from Colors where Color = 255"), (std::vector<std::string>{"255"}));
  EXPECT_TRUE(fs::exists(FileSystemPath(plain + ".Backup")));
  BSTR version = nullptr;
  EXPECT_EQ(config->get_VersionFromFile(Bstr(plain), &version), S_OK);
  EXPECT_STREQ(version, L"VersionFivePointZero");
  SysFreeString(version);

  // An archive with a kept file, made beside the folder and moved into it.
  std::string content;
  ASSERT_TRUE(ReadFileContent(plain, content));
  WriteArchive(dir.Path("made.zip"), {{"VEXA/pfConfig", content}, {"VEXA/MISC/chart.txt", "chart bytes"}});
  fs::rename(dir.Path("made.zip"), FileSystemPath(archive));
  ASSERT_EQ(config->Open(Bstr(archive), VARIANT_FALSE), S_OK);
  EXPECT_TRUE(Rows("update Colors set * = 128|blue").empty());
  ASSERT_EQ(config->Close(VARIANT_TRUE), S_OK);
  ASSERT_EQ(config->Open(Bstr(archive), VARIANT_FALSE), S_OK);
  EXPECT_EQ(Rows("select Color from Colors where Color = 128"), (std::vector<std::string>{"128"}));
  EXPECT_TRUE(Rows("create table zBall (zBallFileName String, FullFileName String, RefCount Int, PropertyBag String )").empty());
  const std::vector<std::string> extracted = Rows("select FullFileName from zBall where zBallFileName = 'chart.txt'");
  ASSERT_EQ(extracted.size(), 1u);
  EXPECT_EQ(ReadTextFile(extracted[0]), "chart bytes");
  fs::remove(extracted[0]);

  // The log shows a name that 1252 cannot write with '?', and still gets written.
  EXPECT_EQ(config->Open(Bstr(folder + u8"/Λείπει.cfg"), VARIANT_FALSE), E_FAIL);
  std::ifstream messages(FileSystemPath(log));
  const std::string text((std::istreambuf_iterator<char>(messages)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Open: Unable to load VEXA configuration file: ( " + dir.Path(std::string(7, '?') + "/" + std::string(6, '?') + ".cfg") + " )\n"),
            std::string::npos);
}

TEST(DefaultSource, LivesWhileAnEngineIsBoundToIt) {
  std::weak_ptr<tConfigSource> watched = AcquireDefaultConfigSource();
  EXPECT_TRUE(watched.expired());  // nobody holds it yet
  VexaConfig* unopened = VexaConfig::CreateInstance();
  watched = AcquireDefaultConfigSource();
  EXPECT_FALSE(watched.expired());

  // Another object opening, closing and going away leaves the shared source alone.
  ScratchDir dir;
  WriteTextFile(dir.Path("a.cfg"), ConfigWithSets("s1 Set||True|\n"));
  VexaConfig* opened = VexaConfig::CreateInstance();
  ASSERT_EQ(opened->Open(Bstr(dir.Path("a.cfg")), VARIANT_FALSE), S_OK);
  opened->Close(VARIANT_FALSE);
  opened->Release();
  VARIANT results;
  VariantInit(&results);
  EXPECT_EQ(unopened->Query(Bstr("select * from Parts"), &results), E_FAIL);
  EXPECT_FALSE(watched.expired());
  unopened->Release();
  EXPECT_TRUE(watched.expired());
}
