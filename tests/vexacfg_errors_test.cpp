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
  EXPECT_EQ(statementError("update Nowhere set * = 1 where 0"),
            prefix + "update Nowhere set * = 1 where 0: unknown table (Nowhere)\n");
  EXPECT_EQ(statementError("frobnicate Colors"),
            "vexacfg: E_INVALIDARG (0x80070057): frobnicate Colors: unknown statement 'frobnicate' (select, update, "
            "delete, create, drop or sort)\n");
}

TEST_F(Tool, NoStatementFailsSilently) {
  const std::string file = ColorsFile("n.cfg", {"2|blue"});
  auto query = [&](const std::string& statements) { return Run("query " + file + " " + statements + " --save"); };
  // The conversion at the automation boundary would have made the statement "...'XXXXXXXXXXXXXXX".
  const Outcome refused = query("\"update Colors set PropertyBag = 'Ωmega' where Color = 2\"");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err,
            "vexacfg: E_INVALIDARG (0x80070057): update Colors set PropertyBag = 'Ωmega' where Color = 2: 'Ω' "
            "(U+03A9) at character 34 cannot be written in Windows-1252; nothing was run\n");
  const Outcome typo = query("\"update Colors set Colour = 3 where Color = 2\"");
  EXPECT_EQ(typo.exitCode, 1);
  EXPECT_EQ(typo.err,
            "vexacfg: warning: update Colors set Colour = 3 where Color = 2: ColumnName (Colour) in set statement "
            "not defined in table\n");
  const Outcome order = query("\"select * from Colors order by Nope\"");
  EXPECT_EQ(order.exitCode, 1);
  EXPECT_EQ(order.err,
            "vexacfg: warning: select * from Colors order by Nope: sort algorithm attempted on non existant "
            "column... FIX!!!\n");
  // An unpaired bracket would match no row, and the update would add one.
  EXPECT_EQ(query("\"update Colors set PropertyBag = x where (Color = 2\"").err,
            "vexacfg: E_INVALIDARG (0x80070057): update Colors set PropertyBag = x where (Color = 2: the brackets "
            "of the where clause do not pair; nothing was run\n");
  EXPECT_EQ(query("\"select * form Colors\"").err,
            "vexacfg: E_FAIL (0x80004005): select * form Colors: missing 'from' clause: select COLUMNS from TABLE "
            "[where ...]\n");
  EXPECT_EQ(Run("query " + file + " \"select * from Colors\"").out, "2|blue\n");  // nothing above was saved

  const Outcome changes = Run("query " + file + " --changes \"update Colors set * = 3|x where 0\"" +
                              " \"update Colors set PropertyBag = y where Color > 0\" \"delete * from Colors\"");
  EXPECT_EQ(changes.out,
            "changes: 1 added, 0 changed, 0 deleted\nchanges: 0 added, 2 changed, 0 deleted\n"
            "changes: 0 added, 0 changed, 2 deleted\n");
}
