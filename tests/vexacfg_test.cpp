#include <unistd.h>

#include <cstdio>

#include "tests/tool_fixture.h"

TEST_F(Tool, CreateThenInspect) {
  ASSERT_EQ(Run("create " + Quoted("v4.cfg") + " --version 4").exitCode, 0);
  EXPECT_EQ(Run("version " + Quoted("v4.cfg")).out, "VersionFourPointZero\n");
  const Outcome tables = Run("tables " + Quoted("v4.cfg"));
  EXPECT_EQ(tables.exitCode, 0);
  EXPECT_EQ(tables.out.rfind("ActualFlutterTestPointsLog|0\n", 0), 0u);
  EXPECT_NE(tables.out.find("\nUnitConversions|107\n"), std::string::npos);

  // Usage errors have an exit code of their own.
  const Outcome bad = Run("create " + Quoted("x.cfg") + " --version 6");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(Run("query").exitCode, 2);
  EXPECT_EQ(Run("query " + Quoted("v4.cfg") + " --mode xml \"select * from Colors\"").exitCode, 2);
  const Outcome unknown = Run("frobnicate");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("vexacfg: unknown command 'frobnicate'\n"), std::string::npos);
  EXPECT_NE(unknown.err.find("  diff   "), std::string::npos);
  EXPECT_EQ(Run("--version").out, "vexacfg 1.0.0\n");
  EXPECT_EQ(Run("create --version=4 " + Quoted("v4b.cfg")).exitCode, 0);
  EXPECT_EQ(Run("version " + Quoted("v4b.cfg")).out, "VersionFourPointZero\n");
  const Outcome help = Run("query --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: vexacfg query PATH STATEMENT", 0), 0u);
}

TEST_F(Tool, QueryPrintsRowsAndSavesOnlyWhenAsked) {
  ASSERT_EQ(Run("create " + Quoted("c.cfg")).exitCode, 0);
  const std::string file = Quoted("c.cfg");
  Outcome added = Run("query " + file + " \"update Colors set * = 255|a b\" \"select * from Colors\"");
  EXPECT_EQ(added.exitCode, 0);
  EXPECT_EQ(added.out, "255|a b\n");
  EXPECT_EQ(Run("query " + file + " \"select * from Colors\"").out, "");  // not saved

  EXPECT_EQ(Run("query " + file + " \"update Colors set * = 1|x\" --save").exitCode, 0);
  EXPECT_EQ(Run("query " + file + " \"select Color from Colors where PropertyBag = 'x'\"").out, "1\n");

  const Outcome failed = Run("query " + file + " \"select * from Nowhere\" \"update Colors set * = 2|y\" --save");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.err, "vexacfg: E_FAIL (0x80004005): select * from Nowhere: unknown 'From' table (Nowhere)\n");
  EXPECT_EQ(Run("query " + file + " \"select * from Colors\"").out, "1|x\n");

  const Outcome missing = Run("query " + Quoted("none.cfg") + " \"select * from Colors\"");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "vexacfg: E_FAIL (0x80004005): Open: Unable to load VEXA configuration file: ( " +
                             dir.Path("none.cfg") + " ): no such file\n");
}

TEST_F(Tool, ShellTakesStatementsLineByLine) {
  ASSERT_EQ(Run("create " + Quoted("s.cfg")).exitCode, 0);
  const Outcome session = Run("shell " + Quoted("s.cfg"),
                              "update Colors set * = 7|z\nselect * from Colors\n.save\n\n.quit\nselect * from Colors\n");
  EXPECT_EQ(session.exitCode, 0);
  EXPECT_EQ(session.out, "7|z\n");
  EXPECT_EQ(Run("query " + Quoted("s.cfg") + " \"select * from Colors\"").out, "7|z\n");

  const Outcome failing = Run("shell " + Quoted("s.cfg"), "select * from Nowhere\n.headers yes\n.tables\n");
  EXPECT_EQ(failing.exitCode, 1);
  EXPECT_EQ(failing.err,
            "vexacfg: E_FAIL (0x80004005): select * from Nowhere: unknown 'From' table (Nowhere)\n"
            "vexacfg: .headers takes on or off\n");
  EXPECT_NE(failing.out.find("Colors|1\n"), std::string::npos);
}

TEST_F(Tool, ParamsAndEventsListTheCollections) {
  ASSERT_EQ(Run("create " + Quoted("p.cfg")).exitCode, 0);
  const std::string file = Quoted("p.cfg");
  ASSERT_EQ(Run("query " + file +
                " \"update ParameterDefaults set ParameterDefaults = 'ParameterSet1', Parameter = 'Mach', where 0\""
                " \"update ParameterDefaults set ParameterDefaults = 'ParameterSet1', Parameter = 'ALT', "
                "ParamType = 'double', Units = 'ft', UpdateRate = '20', where 0\""
                " \"update ParameterDefaultsState set ParameterDefaults = 'Flight', where 0\""
                " \"update ParameterDefaults set ParameterDefaults = 'FLIGHT', Parameter = 'Speed', where 0\""
                " \"update EventMarkerLog set * = g|s|bob|10:00|Takeoff|\" --save")
                .exitCode,
            0);
  EXPECT_EQ(Run("params " + file).out, "ALT|double|||ft|20\nMach|float||||0\n");
  EXPECT_EQ(Run("params " + file + " --set flight").out, "Speed|float||||0\n");
  const Outcome unknown = Run("params " + file + " --set Nowhere");
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "vexacfg: E_FAIL (0x80004005): no parameter set Nowhere\n");
  EXPECT_EQ(Run("events " + file).out, "g|s|bob|10:00|Takeoff|\n");
  EXPECT_EQ(Run("events").exitCode, 2);
}

// A set name made of digits is a name, not a position.
TEST_F(Tool, ParamsFindsASetByItsNameEvenWhenItIsANumber) {
  ASSERT_EQ(Run("create " + Quoted("n.cfg")).exitCode, 0);
  const std::string file = Quoted("n.cfg");
  ASSERT_EQ(Run("query " + file +
                " \"update ParameterDefaultsState set ParameterDefaults = '2024', where 0\""
                " \"update ParameterDefaults set ParameterDefaults = '2024', Parameter = 'ALT', where 0\" --save")
                .exitCode,
            0);
  EXPECT_EQ(Run("params " + file + " --set 2024").out, "ALT|float||||0\n");
  const Outcome second = Run("params " + file + " --set 2");
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_EQ(second.err, "vexacfg: E_FAIL (0x80004005): no parameter set 2\n");
}

TEST_F(Tool, CreateReplacesAFileOnlyWhenForced) {
  WriteTextFile(dir.Path("mine.cfg"), "precious");
  const Outcome refused = Run("create " + Quoted("mine.cfg"));
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "vexacfg: " + dir.Path("mine.cfg") + " exists (--force replaces it)\n");
  EXPECT_EQ(ReadTextFile(dir.Path("mine.cfg")), "precious");
  ASSERT_EQ(Run("create " + Quoted("mine.cfg") + " --force --version 3").exitCode, 0);
  EXPECT_EQ(Run("version " + Quoted("mine.cfg")).out, "VersionThreePointFourPointFive\n");
}

// Arguments and output are UTF-8 whatever the locale; the file holds Windows-1252.
TEST_F(Tool, TextIsUtf8OutsideAndWindows1252Inside) {
  ASSERT_EQ(Run("create " + Quoted("j\xC3\xBCrgen.cfg")).exitCode, 0);
  const std::string file = Quoted("j\xC3\xBCrgen.cfg");
  ASSERT_EQ(Run("query " + file + " \"update EventMarkerLog set * = g|s|j\xC3\xBCrgen|10:00|\xE2\x82\xAC 5|\" --save")
                .exitCode,
            0);
  EXPECT_NE(ReadTextFile(dir.Path("j\xC3\xBCrgen.cfg")).find("|j\xFCrgen|10:00|\x80 5|"), std::string::npos);
  for (const char* locale : {"C", "C.UTF-8"}) {
    setenv("LC_ALL", locale, 1);
    EXPECT_EQ(Run("events " + file).out, "g|s|j\xC3\xBCrgen|10:00|\xE2\x82\xAC 5|\n") << locale;
    EXPECT_EQ(Run("query " + file + " \"select User from EventMarkerLog where User = 'J\xC3\xBCRGEN'\"").out,
              "j\xC3\xBCrgen\n")
        << locale;
  }
  unsetenv("LC_ALL");
}

TEST_F(Tool, WarnsAboutAFileThatEndsInsideABlock) {
  ASSERT_EQ(Run("create " + Quoted("w.cfg")).exitCode, 0);
  const std::string whole = ReadTextFile(dir.Path("w.cfg"));
  WriteTextFile(dir.Path("w.cfg"), whole.substr(0, whole.rfind('}')));
  const Outcome cut = Run("version " + Quoted("w.cfg"));
  EXPECT_EQ(cut.exitCode, 0);
  EXPECT_EQ(cut.out, "VersionFivePointZero\n");
  EXPECT_EQ(cut.err, "vexacfg: warning: Open: Configuration file ends inside a block, it may be cut off: ( " +
                         dir.Path("w.cfg") + " )\n");
}

// Two writers of one file: the shell's save writes its tables, and keeps the
// version that another process saved meanwhile beside the file, once.
TEST_F(Tool, ASaveKeepsTheFileThatChangedOnDiskSinceItWasLoaded) {
  const std::string file = ColorsFile("two.cfg", {"1|first"});
  const std::string out = dir.Path("shell.out");
  const std::string command = std::string(VEXACFG_PATH) + " shell " + file + " >" + out + " 2>" + dir.Path("shell.err");
  std::FILE* shell = popen(command.c_str(), "w");
  ASSERT_NE(shell, nullptr);
  std::fputs("select Color from Colors;\n", shell);
  std::fflush(shell);
  for (int wait = 0; wait < 1000 && ReadTextFile(out).empty(); ++wait) usleep(10000);
  ASSERT_EQ(ReadTextFile(out), "1\n") << "the shell has loaded the file";
  ASSERT_EQ(Run("query " + file + " \"update Colors set * = 2|other\" --save").exitCode, 0);
  std::fputs("update Colors set * = 3|shell\n.save\n.save\n", shell);
  EXPECT_EQ(pclose(shell), 0);

  std::vector<std::string> copies;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path("")))
    if (entry.path().filename().string().rfind("two.cfg.Conflict-", 0) == 0) copies.push_back(entry.path().string());
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadTextFile(dir.Path("shell.err")),
            "vexacfg: warning: Save: Configuration file changed on disk since it was loaded; that version is kept as ( " +
                copies[0] + " )\n");
  EXPECT_EQ(Run("query '" + copies[0] + "' \"select * from Colors\"").out, "1|first\n2|other\n");
  EXPECT_EQ(Run("query " + file + " \"select * from Colors\"").out, "1|first\n3|shell\n");
}

TEST_F(Tool, ScriptDrivesTheClassesByName) {
  ASSERT_EQ(Run("create " + Quoted("e.cfg")).exitCode, 0);
  const std::string file = dir.Path("e.cfg");
  WriteTextFile(dir.Path("edit.txt"),
                "' adds a parameter default and reads it back through a second object\n"
                "set cfg = CreateObject(\"VexaConfigInterface.VexaConfig\")\n"
                "cfg.Open \"" + file + "\", False\n"
                "set defaults = cfg.ParameterDefaults\n"
                "set pd = defaults.Add(\"ALT\", 1, 12.5)\n"
                "pd.Units = \"ft\"\n"
                "defaults.SaveTable\n"
                "cfg.Close\n"
                "set again = CreateObject(\"VexaConfigInterface.VexaConfig.1\")\n"
                "AGAIN.open \"" + file + "\"\n"
                "print again.ParameterDefaults.Item(\"ALT\").Units, again.ParameterDefaults.Count, True\n"
                "for each item in again.ParameterDefaults\n"
                "  print item.Name, item.SampleRate  ' one line per item\n"
                "next\n"
                "print again.Query(\"select Parameter, Units from ParameterDefaults\")\n"
                "again.Open \"" + dir.Path("none.cfg") + "\"\n"
                "print \"not reached\"\n");
  const Outcome edited = Run("script " + Quoted("edit.txt"));
  EXPECT_EQ(edited.exitCode, 1);
  EXPECT_EQ(edited.out, "ft 1 True\nALT 12.5\nALT|ft\n");
  EXPECT_EQ(edited.err, "vexacfg: E_FAIL (0x80004005) at line 16: again.Open \"" + dir.Path("none.cfg") + "\"\n");
  EXPECT_EQ(Run("params " + Quoted("e.cfg")).out, "ALT|discrete|||ft|12.5\n");

  WriteTextFile(dir.Path("bad.txt"), "set cfg = CreateObject(\"VexaConfigInterface.VexaConfig\")\ncfg.Version = \n");
  EXPECT_EQ(Run("script " + Quoted("bad.txt")).err, "vexacfg: line 2: cfg.Version =  (expected a value)\n");
}

TEST_F(Tool, ScriptsFindOnlyRegisteredClassesInAGivenRegistry) {
  WriteTextFile(dir.Path("version.txt"),
                "set cfg = CreateObject(\"VexaConfigInterface.VexaConfig\")\ncfg.Version = 4\nprint cfg.Version\n");
  const std::string script = "script " + Quoted("version.txt") + " --registry " + Quoted("r.reg");
  EXPECT_EQ(Run(script).err,
            "vexacfg: CO_E_CLASSSTRING (0x800401F3) at line 1: set cfg = CreateObject(\"VexaConfigInterface.VexaConfig\")\n");
  ASSERT_EQ(Run("register --registry " + Quoted("r.reg")).exitCode, 0);
  EXPECT_EQ(Run(script).out, "4\n");
  ASSERT_EQ(Run("unregister --registry " + Quoted("r.reg")).exitCode, 0);
  EXPECT_EQ(Run(script).exitCode, 1);
}

TEST_F(Tool, TypelibListsClassesAndMembers) {
  const Outcome library = Run("typelib");
  EXPECT_EQ(library.exitCode, 0);
  EXPECT_EQ(library.out.rfind("library VEXACONFIGINTERFACELib 1.0 {5C1A7E10-3B2D-4C8E-9A41-6F0B2D7E0000} "
                              "\"VexaConfigInterface 1.0 Type Library\"\ncoclass VexaConfig ",
                              0),
            0u);
  for (const char* line : {"\n  source _IVexaConfigEvents ", "\n    1 Open method 2, optional = -1\n",
                           "\n    4 Close method 1, optional = -1\n", "\n    50 Query method 1\n",
                           "\ncoclass PlannedTestPoints {5C1A7E10-3B2D-4C8E-9A41-6F0B2D7E200E} \"PlannedTestpoints Class\"\n",
                           "\n    -4 _NewEnum get 0\n", "\n    66 NullBias put 1\n"})
    EXPECT_NE(library.out.find(line), std::string::npos) << line;
  EXPECT_EQ(library.out.find("_IThresholdsEvents"), std::string::npos);
}

// The module's path goes into the registry whole, whatever its letters and the locale.
TEST_F(Tool, RegistersFromAFolderWhoseNameIsNotAscii) {
  const std::string folder = dir.Path("bin-\xC3\xBC");
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(VEXACFG_PATH, folder + "/vexacfg");
  for (const char* locale : {"C", "C.UTF-8"}) {
    setenv("LC_ALL", locale, 1);
    const std::string command = "'" + folder + "/vexacfg' register --registry " + Quoted("r.reg") + " 2>" +
                                dir.Path("stderr");
    EXPECT_EQ(std::system(command.c_str()), 0) << locale << ": " << ReadTextFile(dir.Path("stderr"));
    const std::string registry = ReadTextFile(dir.Path("r.reg"));
    EXPECT_NE(registry.find("@=\"" + folder + "/vexacfg\""), std::string::npos) << locale;
    EXPECT_NE(registry.find("HELPDIR]\n@=\"" + folder + "\""), std::string::npos) << locale;
  }
  unsetenv("LC_ALL");
}
