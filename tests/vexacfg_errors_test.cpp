// Each cause that a failed load or statement names on the tool's error line.
#include <unistd.h>

#include "storage/config_source.h"
#include "tests/tool_fixture.h"

namespace {
const std::string kUnable = "vexacfg: E_FAIL (0x80004005): Open: Unable to load VEXA configuration file: ( ";

// Overwrites a field of the member's entry, in its local header and in the
// central directory, at the offsets of the field in each.
void PatchEntry(std::string& archive, const std::string& member, size_t local, size_t central, const std::string& bytes) {
  const auto patch = [&](const std::string& signature, size_t offset, size_t nameOffset) {
    for (size_t at = archive.find(signature); at != std::string::npos; at = archive.find(signature, at + 1))
      if (archive.compare(at + nameOffset, member.size(), member) == 0) archive.replace(at + offset, bytes.size(), bytes);
  };
  patch(std::string("PK\x03\x04", 4), local, 30);
  patch(std::string("PK\x01\x02", 4), central, 46);
}
}  // namespace

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
  // A member that is there but cannot be read: its compression method (LZMA), its checksum.
  ColorsFile("good.cfg", {});
  tConfigSource source;
  ASSERT_NE(source.LoadAttributesFromFile(dir.Path("good.cfg").c_str()), nullptr);
  ASSERT_EQ(source.SaveToFile(dir.Path("good.zip").c_str()), S_OK);
  std::string lzma = ReadTextFile(dir.Path("good.zip"));
  std::string crc = lzma;
  PatchEntry(lzma, "VEXA/pfConfig", 8, 10, std::string("\x0e\x00", 2));
  WriteTextFile(dir.Path("lzma.zip"), lzma);
  EXPECT_EQ(loadError("lzma.zip"),
            expected("lzma.zip", "cannot open member VEXA/pfConfig: Compression method not supported"));
  PatchEntry(crc, "VEXA/pfConfig", 14, 16, "CRC!");
  WriteTextFile(dir.Path("crc.zip"), crc);
  EXPECT_EQ(loadError("crc.zip"), expected("crc.zip", "member VEXA/pfConfig is damaged"));

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

// A full disk: made here with a file size limit, which the shell passes on.
TEST_F(Tool, AFullDiskIsNamedAsTheCause) {
  std::filesystem::create_directory(dir.Path("tmp"));
  const auto onFullDisk = [&](const std::string& arguments) {
    return Run(arguments, "", "trap '' XFSZ; ulimit -f 8; TMPDIR=" + Quoted("tmp") + " ");
  };
  const Outcome created = onFullDisk("create " + Quoted("new.cfg"));
  EXPECT_EQ(created.exitCode, 1);
  EXPECT_EQ(created.err, "vexacfg: E_FAIL (0x80004005): Create: Could not open configuration file: ( " +
                             dir.Path("new.cfg") + " ): cannot write " + dir.Path("new.cfg") + ": File too large\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("new.cfg")));

  // The backup copy that a save makes is not asked for: the save goes on without it.
  const std::string file = ColorsFile("big.cfg", std::vector<std::string>(200, "1|a long name for a colour"));
  std::filesystem::remove(dir.Path("big.cfg.Backup"));
  const Outcome saved = onFullDisk("query " + file + " \"update Colors set * = 2|b\" --save");
  EXPECT_EQ(saved.err, "vexacfg: warning: no backup copy " + dir.Path("big.cfg.Backup") + ": cannot write " +
                           dir.Path("big.cfg.Backup") + ": File too large\nvexacfg: E_FAIL (0x80004005): Save: Failded "
                           "to save to configuration file: ( " + dir.Path("big.cfg") + " ): cannot write " +
                           dir.Path("big.cfg") + ": File too large\n");
  EXPECT_EQ(saved.exitCode, 1);

  // A file of the archive that cannot be extracted gives no row: a warning, and no success.
  WriteArchive(dir.Path("misc.zip"), {{"VEXA/pfConfig", ReadTextFile(dir.Path("big.cfg"))},
                                      {"VEXA/MISC/chart.txt", std::string(20000, 'c')}});
  const std::string select = "select FullFileName from zBall where name = 'chart.txt'";
  const Outcome extracted = onFullDisk("query " + Quoted("misc.zip") + " \"" + select + "\"");
  EXPECT_EQ(extracted.exitCode, 1);
  EXPECT_EQ(extracted.out, "");
  EXPECT_EQ(extracted.err, "vexacfg: warning: " + select + ": cannot write " + dir.Path("tmp/chart.txt") +
                               ": File too large\n");
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
