// Each cause that a failed load or statement names on the tool's error line.
#include <unistd.h>

#include "tests/tool_fixture.h"

namespace {
const std::string kUnable = "vexacfg: E_FAIL (0x80004005): Open: Unable to load VEXA configuration file: ( ";
}

TEST_F(Tool, AFailedLoadNamesTheFileAndTheCause) {
  auto loadError = [&](const std::string& name) { return Run("tables " + Quoted(name)).err; };
  auto expected = [&](const std::string& name, const std::string& cause) {
    return kUnable + dir.Path(name) + " ): " + cause + "\n";
  };
  EXPECT_EQ(loadError("none.cfg"), expected("none.cfg", "no such file"));
  std::filesystem::create_directory(dir.Path("folder.cfg"));
  EXPECT_EQ(loadError("folder.cfg"), expected("folder.cfg", "a folder, not a file"));
  WriteTextFile(dir.Path("empty.cfg"), "");
  EXPECT_EQ(loadError("empty.cfg"), expected("empty.cfg", "an empty file"));
  WriteTextFile(dir.Path("notes.cfg"), "Shopping list\r\n{\r\n");
  EXPECT_EQ(loadError("notes.cfg"),
            expected("notes.cfg",
                     "not a configuration file: its first line is \"Shopping list\" where \"Root\" and a version name "
                     "were expected"));
  WriteArchive(dir.Path("other.zip"), {{"VEXA/readme", "x"}});
  EXPECT_EQ(loadError("other.zip"), expected("other.zip", "an archive without \"VEXA/pfConfig\""));
  WriteTextFile(dir.Path("fake.zip"), "Root VersionFivePointZero\n");
  EXPECT_EQ(loadError("fake.zip"), expected("fake.zip", "not a readable zip archive (not a zip archive)"));

  WriteTextFile(dir.Path("bare.cfg"), "Root VersionFivePointZero\n{\n}\n");
  const Outcome bare = Run("tables " + Quoted("bare.cfg"));
  EXPECT_EQ(bare.exitCode, 1);
  EXPECT_EQ(bare.err, "vexacfg: E_FAIL (0x80004005): Open: ( " + dir.Path("bare.cfg") +
                          " ) has no ParameterDefaultsState table, which Open cannot repair\n");

  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
  ASSERT_EQ(Run("create " + Quoted("locked.cfg")).exitCode, 0);
  std::filesystem::permissions(dir.Path("locked.cfg"), std::filesystem::perms::none);
  EXPECT_EQ(loadError("locked.cfg"), expected("locked.cfg", "permission denied"));
}

TEST_F(Tool, AFailedStatementNamesTheCause) {
  const std::string file = ColorsFile("s.cfg", {"1|a"});
  auto statementError = [&](const std::string& statement) { return Run("query " + file + " \"" + statement + "\"").err; };
  const std::string prefix = "vexacfg: E_FAIL (0x80004005): ";
  EXPECT_EQ(statementError("select * from NoSuchTable"),
            prefix + "select * from NoSuchTable: unknown 'From' table (NoSuchTable)\n");
  EXPECT_EQ(statementError("select Nope from Colors"),
            prefix + "select Nope from Colors: unknown column token (Nope) in query\n");
  EXPECT_EQ(statementError("delete * from Nowhere"), prefix + "delete * from Nowhere: unknown table (Nowhere)\n");
  EXPECT_EQ(statementError("update Colors Color = 1"),
            prefix + "update Colors Color = 1: illegal update statement, missing 'set' clause\n");
  EXPECT_EQ(statementError("frobnicate Colors"),
            "vexacfg: E_INVALIDARG (0x80070057): frobnicate Colors: unknown statement 'frobnicate' (select, update, "
            "delete, create, drop or sort)\n");
}
