// A save changes the content of the file and nothing else about it: links,
// mode and owner stay, leftovers of killed saves go, and files made in the
// temporary folder never follow what another user planted there.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "platform/text_conversion.h"
#include "platform/private_file.h"
#include "query/query_engine.h"
#include "storage/config_source.h"
#include "storage/zball.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {
const char* kConfig =
    "Root VersionFivePointZero\n{\n   Table Parts\n   {\n      TableDefinition Name|Group\n"
    "      TableType String|String\n      TableContents \n      {\n         r1 Wing|a\n      }\n   }\n}\n";

class SaveKeeps : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    fs::create_directory(dir.Path("real"));
    // An archive is made by a save of the plain text, as in use.
    WriteTextFile(dir.Path("plain.cfg"), kConfig);
    tConfigSource plain;
    ASSERT_NE(plain.LoadAttributesFromFile(dir.Path("plain.cfg").c_str()), nullptr);
    ASSERT_EQ(plain.SaveToFile(Target().c_str()), S_OK);
  }

  std::string Extension() const { return GetParam(); }
  std::string Target() const { return dir.Path("real/config" + Extension()); }

  // Loads through `path`, adds a row and saves to the same path.
  void ChangeThrough(const std::string& path) {
    tConfigSource source;
    ASSERT_NE(source.LoadAttributesFromFile(path.c_str()), nullptr);
    tSqlQueryEngine engine(&source);
    ASSERT_EQ(engine.Query("update Parts set * = Tail|b"), S_OK);
    ASSERT_EQ(engine.Commit(), S_OK);
    ASSERT_EQ(source.SaveToFile(path.c_str()), S_OK);
  }

  bool HoldsTheChange(const std::string& path) {
    tConfigSource source;
    tAtrribute* root = source.LoadAttributesFromFile(path.c_str());
    return root && Dump(root).find("Tail|b") != std::string::npos;
  }

  ScratchDir dir;
};
}  // namespace

TEST_P(SaveKeeps, ASymbolicLinkAndWritesItsTarget) {
  const std::string link = dir.Path("link" + Extension());
  fs::create_symlink("real/config" + Extension(), link);
  ChangeThrough(link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(HoldsTheChange(Target()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("real")), fs::directory_iterator()), 1);
}

TEST_P(SaveKeeps, HardLinks) {
  const std::string other = dir.Path("other" + Extension());
  fs::create_hard_link(Target(), other);
  ChangeThrough(Target());
  EXPECT_TRUE(HoldsTheChange(other));
  EXPECT_EQ(fs::hard_link_count(Target()), 2u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("real")), fs::directory_iterator()), 1);
}

TEST_P(SaveKeeps, ModeAndOwner) {
  ASSERT_EQ(chmod(Target().c_str(), 0640), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(Target().c_str(), 65534, 65534), 0);
  }
  ChangeThrough(Target());
  struct stat after;
  ASSERT_EQ(stat(Target().c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
  }
  EXPECT_TRUE(HoldsTheChange(Target()));
}

// What a save in progress holds stays: a second process saving the same file.
TEST_P(SaveKeeps, NothingOfKilledSavesButWhatTheUserMadeOrASaveHolds) {
  const std::string archive = ReadTextFile(Target());
  WriteTextFile(Target() + ".saving-Ab3dE9", "half a save");
  WriteTextFile(Target() + ".Backup.saving-Cd4eF0", "half a backup copy");
  WriteTextFile(Target() + ".saving-Held01", "a save in progress");
  const int held = open((Target() + ".saving-Held01").c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  WriteTextFile(Target() + ".Backup", archive);
  WriteTextFile(Target() + ".backup", archive);  // a finished file the user named so
  WriteTextFile(Target() + ".saving-notes.txt", "the user's");
  if (Extension() == ".zip") {
    WriteTextFile(Target() + ".Q1w2E3", archive.substr(0, archive.size() / 2));  // the archive library's
    WriteTextFile(Target() + ".Z9y8X7", "");
  }
  ChangeThrough(Target());
  close(held);
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.Path("real"))) left.insert(entry.path().filename().string());
  const std::string name = "config" + Extension();
  EXPECT_EQ(left, (std::set<std::string>{name, name + ".Backup", name + ".backup", name + ".saving-notes.txt",
                                         name + ".saving-Held01"}));
}

namespace {
// Loads and saves the file again and again; the saves that failed.
int SaveOften(const std::string& path) {
  int failed = 0;
  for (int i = 0; i < 150; ++i) {
    tConfigSource source;
    failed += !source.LoadAttributesFromFile(path.c_str()) || source.SaveToFile(path.c_str()) != S_OK;
  }
  return failed;
}
}  // namespace

// The other process of the test below, started as this program running only
// this test: a new process, since a fork of this threaded one may inherit a
// lock that another thread held (the sanitizers' allocators do).
TEST(SaveOften, TheFileThatTheEnvironmentNames) {
  const char* path = std::getenv("VEXA_SAVE_OFTEN");
  if (!path) GTEST_SKIP() << "started by SaveKeeps.TwoProcessesSavingAtOnceBothSucceed";
  EXPECT_EQ(SaveOften(path), 0);
}

// Each save's clean-up passes over the other's temporary file, so every save
// of two processes that save the same file at once succeeds.
TEST_P(SaveKeeps, TwoProcessesSavingAtOnceBothSucceed) {
  setenv("VEXA_SAVE_OFTEN", Target().c_str(), 1);
  char program[] = "/proc/self/exe", filter[] = "--gtest_filter=SaveOften.*";
  char* arguments[] = {program, filter, nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, program, nullptr, nullptr, arguments, environ), 0);
  unsetenv("VEXA_SAVE_OFTEN");
  EXPECT_EQ(SaveOften(Target()), 0);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process's saves failed";
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path("real")), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(PlainAndArchive, SaveKeeps, ::testing::Values(".cfg", ".zip"),
                         [](const auto& info) { return std::string(info.param + 1); });

TEST(PrivateFiles, ExtractionReplacesAPlantedLinkAndNonAsciiNamesWork) {
  ScratchDir dir;
  // A temporary folder whose name is not ASCII, in UTF-8 as the system has it.
  const std::string temporary = dir.Path("tmp-\xC3\xBC");
  fs::create_directory(temporary);
  const char* previous = std::getenv("TMPDIR");
  const std::string saved = previous ? previous : "";
  setenv("TMPDIR", temporary.c_str(), 1);

  WriteTextFile(dir.Path("victim.txt"), "keep me");
  fs::create_symlink(dir.Path("victim.txt"), temporary + "/chart.txt");
  WriteArchive(dir.Path("kept.zip"),
               {{"VEXA/MISC/chart.txt", "chart bytes"}, {"VEXA/MISC/\xC3\xA4.txt", "umlaut bytes"}});
  tZBall zball(dir.Path("kept.zip").c_str());
  tString full;
  EXPECT_EQ(zball.UnzipMiscToTemp("chart.txt", full), S_OK);
  EXPECT_EQ(ReadTextFile(dir.Path("victim.txt")), "keep me");
  EXPECT_FALSE(fs::is_symlink(temporary + "/chart.txt"));
  EXPECT_EQ(ReadTextFile(temporary + "/chart.txt"), "chart bytes");

  // The member's name and the path given back are narrow text ("\xE4" is "ä");
  // the file's name is UTF-8.
  EXPECT_EQ(zball.UnzipMiscToTemp("\xE4.txt", full), S_OK);
  EXPECT_EQ(Utf8FromNarrow(full.c_str()), temporary + "/\xC3\xA4.txt");
  EXPECT_EQ(ReadTextFile(temporary + "/\xC3\xA4.txt"), "umlaut bytes");

  if (previous) setenv("TMPDIR", saved.c_str(), 1);
  else unsetenv("TMPDIR");
}

TEST(PrivateFiles, UnpredictableNamesAreMadeAnew) {
  ScratchDir dir;
  const std::string first = CreatePrivateFile(dir.Path("log-"));
  const std::string second = CreatePrivateFile(dir.Path("log-"));
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(first.compare(0, dir.Path("log-").size(), dir.Path("log-")), 0);
  struct stat made;
  ASSERT_EQ(stat(first.c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 077, 0u);
  EXPECT_EQ(made.st_size, 0);
}

TEST(NonAsciiPaths, LoadAndSaveUnderAnyLocale) {
  ScratchDir dir;
  // "jürgen": file names are UTF-8 whatever the locale.
  WriteTextFile(dir.Path("j\xC3\xBCrgen.cfg"), kConfig);
  tConfigSource source;
  ASSERT_NE(source.LoadAttributesFromFile(dir.Path("j\xC3\xBCrgen.cfg").c_str()), nullptr);
  EXPECT_EQ(source.SaveToFile(dir.Path("j\xC3\xBCrgen.zip").c_str()), S_OK);
  ASSERT_NE(source.LoadAttributesFromFile(dir.Path("j\xC3\xBCrgen.zip").c_str()), nullptr);
}
