// A save that cannot be completed because the disk is full must fail with the
// configuration object's message and its cause and leave the previous file
// exactly as it was, also where a read-only folder makes the save write the
// file in place; a create on a full disk leaves no file at all. Each runs in a
// child process that has the fault: an unprivileged user for the read-only
// folder (root writes anywhere), a file size limit for the full disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "automation/vexa_config.h"
#include "query/query_engine.h"
#include "schema/version_template.h"
#include "storage/config_source.h"
#include "tests/test_support.h"

namespace {
constexpr int kSaveFailed = 0;
constexpr int kSaveSucceeded = 1;
constexpr int kCannotDropPrivileges = 77;
constexpr uid_t kNobody = 65534;

enum class Fault { None, ReadOnlyFolder, FullDisk, ReadOnlyFolderAndFullDisk };

class SaveFault : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(Folder());
    // The file is written as plain text first, then (for an archive) saved by the
    // loader's own writer, so that an archive holds exactly what a save produces.
    WriteTextFile(Target(), VersionTemplate(5));
    if (Extension() == std::string(".zip")) {
      WriteTextFile(dir.Path("plain.cfg"), VersionTemplate(5));
      tConfigSource source;
      ASSERT_NE(source.LoadAttributesFromFile(dir.Path("plain.cfg").c_str()), nullptr);
      std::filesystem::remove(Target());
      ASSERT_EQ(source.SaveToFile(Target().c_str()), S_OK);
    }
    WriteTextFile(Log(), "");
    // Everyone may write the file and the log: only the fault stops the save.
    chmod(Target().c_str(), 0666);
    chmod(Log().c_str(), 0666);
    chmod(dir.Path("").c_str(), 0755);
  }

  const char* Extension() const { return GetParam(); }
  std::string Folder() const { return dir.Path("folder"); }
  std::string Target() const { return Folder() + "/config" + Extension(); }
  std::string Log() const { return dir.Path("messages.log"); }

  // Runs `body` with a configuration object that logs to Log(), in a child with
  // the fault; the child's verdict comes back as its exit code.
  template <class Body>
  int InChildWith(Fault fault, Body body) {
    const pid_t child = fork();
    if (child == 0) _exit(WithFault(fault) ? body(NewConfig()) : kCannotDropPrivileges);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  bool WithFault(Fault fault) {
    if (fault == Fault::ReadOnlyFolder || fault == Fault::ReadOnlyFolderAndFullDisk) {
      chmod(Folder().c_str(), 0555);
      if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) return false;
    }
    if (fault == Fault::FullDisk || fault == Fault::ReadOnlyFolderAndFullDisk) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{1024, 1024};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    return true;
  }

  VexaConfig* NewConfig() {
    VexaConfig* config = VexaConfig::CreateInstance();
    config->OpenMessageLog(Bstr(Log()), VARIANT_FALSE);
    return config;
  }

  // Opens the file, changes a table and saves.
  int SaveWith(Fault fault) {
    return InChildWith(fault, [&](VexaConfig* config) {
      if (FAILED(config->Open(Bstr(Target()), VARIANT_FALSE))) return kSaveSucceeded;
      VARIANT results;
      VariantInit(&results);
      config->Query(Bstr("update EventMarkerLog set * = Flight|Loads|pilot|12:00:01|first|"), &results);
      return FAILED(config->Save()) ? kSaveFailed : kSaveSucceeded;
    });
  }

  // The log line names the cause, as the file size limit gives it.
  void ExpectLogged(const std::string& message) {
    const std::string log = ReadTextFile(Log());
    const size_t line = log.find(message);
    ASSERT_NE(line, std::string::npos) << log;
    EXPECT_NE(log.find(": cannot write ", line), std::string::npos) << log;
    EXPECT_NE(log.find(": File too large\n", line), std::string::npos) << log;
  }

  void ExpectPreviousFileKept(const std::string& previous) {
    EXPECT_EQ(ReadTextFile(Target()), previous);
    ExpectLogged("Save: Failded to save to configuration file: ( " + Target() + " )");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << "a temporary file was left beside the target";
  }

  ScratchDir dir;
};
}  // namespace

TEST_P(SaveFault, WithoutAFaultTheSaveGoesThrough) {
  const std::string previous = ReadTextFile(Target());
  ASSERT_EQ(SaveWith(Fault::None), kSaveSucceeded);
  EXPECT_NE(ReadTextFile(Target()), previous);
}

// The file is writable, so it is written in place and nothing is left beside it.
TEST_P(SaveFault, ReadOnlyFolderStillSavesAWritableFile) {
  const std::string previous = ReadTextFile(Target());
  const int verdict = SaveWith(Fault::ReadOnlyFolder);
  chmod(Folder().c_str(), 0755);
  if (verdict == kCannotDropPrivileges) GTEST_SKIP() << "cannot switch to an unprivileged user";
  ASSERT_EQ(verdict, kSaveSucceeded);
  EXPECT_NE(ReadTextFile(Target()), previous);
  tConfigSource source;
  EXPECT_NE(source.LoadAttributesFromFile(Target().c_str()), nullptr);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), std::filesystem::directory_iterator()), 1);
}

TEST_P(SaveFault, ReadOnlyFolderAndFullDiskKeepThePreviousFile) {
  const std::string previous = ReadTextFile(Target());
  const int verdict = SaveWith(Fault::ReadOnlyFolderAndFullDisk);
  chmod(Folder().c_str(), 0755);
  if (verdict == kCannotDropPrivileges) GTEST_SKIP() << "cannot switch to an unprivileged user";
  ASSERT_EQ(verdict, kSaveFailed);
  ExpectPreviousFileKept(previous);
}

TEST_P(SaveFault, FullDiskKeepsThePreviousFile) {
  const std::string previous = ReadTextFile(Target());
  ASSERT_EQ(SaveWith(Fault::FullDisk), kSaveFailed);
  ExpectPreviousFileKept(previous);
}

// The file has grown beyond what the full disk allows: its backup cannot be
// made, and the backup of the file as it was stays whole.
TEST_P(SaveFault, FullDiskKeepsAGoodBackup) {
  const std::string backup = Target() + ".Backup";
  const std::string good = ReadTextFile(Target());
  WriteTextFile(backup, good);
  tConfigSource source;
  ASSERT_NE(source.LoadAttributesFromFile(Target().c_str()), nullptr);
  tSqlQueryEngine engine(&source);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(engine.Query("update EventMarkerLog set * = Flight|Loads|pilot|12:00|x|"), S_OK);
  ASSERT_EQ(engine.Commit(), S_OK);
  ASSERT_EQ(source.SaveToFile(nullptr), S_OK);

  ASSERT_EQ(InChildWith(Fault::FullDisk,
                        [&](VexaConfig* config) { return config->Open(Bstr(Target()), VARIANT_TRUE) == S_OK ? 0 : 1; }),
            0);
  EXPECT_EQ(ReadTextFile(backup), good);
  ExpectLogged("Open: Failed to make a backup of the configuration file: ( " + backup + " )");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), std::filesystem::directory_iterator()), 2);
}

// The template is written whole to a temporary file and renamed, or not at all.
TEST_P(SaveFault, FullDiskCreatesNoFile) {
  std::filesystem::remove(Target());
  EXPECT_EQ(InChildWith(Fault::FullDisk, [&](VexaConfig* config) { return config->Create(Bstr(Target()), VARIANT_FALSE) == E_FAIL ? 0 : 1; }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(Folder()));
  ExpectLogged("Create: Could not open configuration file: ( " + Target() + " )");
}

INSTANTIATE_TEST_SUITE_P(PlainAndArchive, SaveFault, ::testing::Values(".cfg", ".zip"),
                         [](const auto& info) { return std::string(info.param + 1); });
