#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "query/query_engine.h"
#include "storage/config_source.h"
#include "tests/test_support.h"

namespace {
const char* kConfig =
    "Root VersionFivePointZero\n"
    "{\n"
    "   Table Parts\n"
    "   {\n"
    "      TableDefinition Name|Group\n"
    "      TableType String|String\n"
    "      TableContents \n"
    "      {\n"
    "         r1 Wing|a b\n"
    "         r2 \n"
    "      }\n"
    "   }\n"
    "   Table Empty\n"
    "   {\n"
    "      TableDefinition A\n"
    "      TableType String\n"
    "      TableContents \n"
    "   }\n"
    "}\n";

// The canonical text with the file format's line ends.
std::string WithCrLf(std::string text) {
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.replace(at, 1, "\r\n");
  return text;
}

class Saving : public ::testing::Test {
 protected:
  tAtrribute* Load(const std::string& name) { return source.LoadAttributesFromFile(dir.Path(name).c_str()); }
  std::string LoadedDump(const std::string& name) {
    tConfigSource other;
    tAtrribute* root = other.LoadAttributesFromFile(dir.Path(name).c_str());
    return root ? Dump(root) : "null";
  }

  ScratchDir dir;
  tConfigSource source;
};
}  // namespace

TEST_F(Saving, PlainTextIsTheCanonicalLayoutAndReadsBackTheSameTree) {
  WriteTextFile(dir.Path("in.cfg"), kConfig);
  const std::string tree = Dump(Load("in.cfg"));
  ASSERT_EQ(source.SaveToFile(dir.Path("out.cfg").c_str()), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("out.cfg")), WithCrLf(kConfig));
  EXPECT_EQ(LoadedDump("out.cfg"), tree);
  // Without a path the file of the last load is rewritten, and nothing is left beside it.
  ASSERT_EQ(source.SaveToFile(nullptr), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("in.cfg")), WithCrLf(kConfig));
  int files = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir.Path(""))) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);
}

// The text goes out in pieces of a quarter megabyte: lines that straddle two
// pieces and a line longer than a piece must arrive whole and in order.
// The archive's member is deflated in pieces of a megabyte: this text takes two.
TEST_F(Saving, LinesOfAnyLengthArriveWholeAcrossPieces) {
  std::string text = "Root V\n{\n   Table T\n   {\n      TableDefinition A\n      TableType String\n      TableContents \n      {\n";
  for (int row = 0; row < 6000; ++row)
    text += "         r" + std::to_string(row) + " " + std::string(100 + row % 211, static_cast<char>('a' + row % 26)) + "\n";
  text += "         long " + std::string(300 * 1024, 'L') + "\n";
  text += "         last x\n      }\n   }\n}\n";
  WriteTextFile(dir.Path("in.cfg"), text);
  const std::string tree = Dump(Load("in.cfg"));
  ASSERT_EQ(source.SaveToFile(dir.Path("out.cfg").c_str()), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("out.cfg")), WithCrLf(text));
  ASSERT_EQ(source.SaveToFile(dir.Path("out.zip").c_str()), S_OK);
  EXPECT_TRUE(ReadArchive(dir.Path("out.zip")).back().second == WithCrLf(text));
  EXPECT_EQ(LoadedDump("out.zip"), tree);
}

TEST_F(Saving, NewArchiveGetsItsFoldersAndTheConfigurationMember) {
  WriteTextFile(dir.Path("in.cfg"), kConfig);
  const std::string tree = Dump(Load("in.cfg"));
  ASSERT_EQ(source.SaveToFile(dir.Path("new.ZIP").c_str()), S_OK);
  const ArchiveMembers members = ReadArchive(dir.Path("new.ZIP"));
  ASSERT_EQ(members.size(), 5u);
  EXPECT_EQ(members[0].first, "VEXA/");  // a folder entry ends with "/"
  EXPECT_EQ(members[1].first, "VEXA/COM/");
  EXPECT_EQ(members[2].first, "VEXA/MISC/");
  EXPECT_EQ(members[3].first, "VEXA/USER/");
  EXPECT_EQ(members[4], (std::pair<std::string, std::string>("VEXA/pfConfig", WithCrLf(kConfig))));
  EXPECT_EQ(LoadedDump("new.ZIP"), tree);
}

TEST_F(Saving, ArchiveKeepsItsOtherMembersAndServesMiscFiles) {
  WriteArchive(dir.Path("kept.zip"), {{"VEXA/MISC/sub\\chart.txt", "chart bytes"}, {"VEXA/pfConfig", kConfig}});
  ASSERT_NE(Load("kept.zip"), nullptr);
  tSqlQueryEngine engine(&source);
  ASSERT_EQ(engine.Query("update Parts set * = Tail|x"), S_OK);
  ASSERT_EQ(engine.Commit(), S_OK);
  ASSERT_EQ(source.SaveToFile(nullptr), S_OK);

  const ArchiveMembers members = ReadArchive(dir.Path("kept.zip"));
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0], (std::pair<std::string, std::string>("VEXA/MISC/sub\\chart.txt", "chart bytes")));
  EXPECT_NE(members[1].second.find("Tail|x\r\n"), std::string::npos);

  // The zBall select extracts the member into the temporary folder under its last name.
  ASSERT_NE(Load("kept.zip"), nullptr);
  ASSERT_EQ(engine.Query("create table zBall (zBallFileName String, FullFileName String, RefCount Int, PropertyBag String )"), S_OK);
  ResultSet results;
  ASSERT_EQ(engine.Query("select FullFileName from zBall where zBallFileName = 'sub\\chart.txt'", &results), S_OK);
  ASSERT_EQ(results.Count(), 1);
  const std::string extracted = results.Next()->text.c_str();
  EXPECT_EQ(std::filesystem::path(extracted).filename(), "chart.txt");
  EXPECT_EQ(ReadTextFile(extracted), "chart bytes");
  std::filesystem::remove(extracted);

  TraceCapture traces;
  ASSERT_EQ(engine.Query("select FullFileName from zBall where zBallFileName = 'missing.txt'", &results), S_OK);
  EXPECT_EQ(results.Count(), 0);
  EXPECT_TRUE(traces.Contains("tZBall::UnzipMiscToTemp - Error unzipping file VEXA/MISC/missing.txt from archive"));
}

TEST_F(Saving, ZipBakIsReadAsArchiveButWrittenAsText) {
  WriteArchive(dir.Path("a.zip.bak"), {{"VEXA/pfConfig", kConfig}});
  ASSERT_NE(Load("a.zip.bak"), nullptr);
  ASSERT_EQ(source.SaveToFile(nullptr), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("a.zip.bak")), WithCrLf(kConfig));
}

TEST_F(Saving, FailuresLeaveThePreviousFileAlone) {
  EXPECT_EQ(source.SaveToFile(dir.Path("x.cfg").c_str()), E_FAIL);  // nothing loaded
  WriteTextFile(dir.Path("in.cfg"), kConfig);
  ASSERT_NE(Load("in.cfg"), nullptr);
  EXPECT_EQ(source.SaveToFile(""), E_FAIL);
  EXPECT_EQ(source.SaveToFile(dir.Path("no/such/folder.cfg").c_str()), E_FAIL);
  EXPECT_EQ(source.SaveToFile(dir.Path("no/such/folder.zip").c_str()), E_FAIL);

  WriteTextFile(dir.Path("locked.cfg"), "previous");
  WriteTextFile(dir.Path("locked.zip"), "previous");
  chmod(dir.Path("locked.cfg").c_str(), 0444);
  chmod(dir.Path("locked.zip").c_str(), 0444);
  EXPECT_EQ(source.SaveToFile(dir.Path("locked.cfg").c_str()), E_FAIL);
  EXPECT_EQ(source.SaveToFile(dir.Path("locked.zip").c_str()), E_FAIL);
  EXPECT_EQ(ReadTextFile(dir.Path("locked.cfg")), "previous");
  EXPECT_EQ(ReadTextFile(dir.Path("locked.zip")), "previous");

  // A file that is no archive is not overwritten by an archive save.
  WriteTextFile(dir.Path("text.zip"), "previous");
  EXPECT_EQ(source.SaveToFile(dir.Path("text.zip").c_str()), E_FAIL);
  EXPECT_EQ(ReadTextFile(dir.Path("text.zip")), "previous");
}
