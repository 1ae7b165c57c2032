// The shell on a terminal: vexacfg runs on a pseudo-terminal and is typed at.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "tests/tool_fixture.h"

namespace {
class Terminal {
 public:
  Terminal(const std::string& file, const std::string& home) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      setenv("HOME", home.c_str(), 1);
      setenv("TERM", "vt100", 1);
      execl(VEXACFG_PATH, VEXACFG_PATH, "shell", file.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Terminal() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  void Type(const std::string& keys) { ASSERT_EQ(write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }

  // Reads until `text` has appeared since the last wait; false after ten seconds without it.
  bool WaitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (output_.find(text, seen_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline || !ReadSome()) return false;
    }
    seen_ = output_.find(text, seen_) + text.size();
    return true;
  }

  // The exit code once the shell has ended; -1 when it has not ended within ten
  // seconds (it is then killed) or did not exit normally.
  // The prompt, and the line editor reading: libedit prints the prompt before it
  // takes the terminal out of line mode, and a control key typed in between
  // would go to the terminal's line discipline instead (the master shares the
  // terminal's settings).
  bool WaitForPrompt(const std::string& prompt = "vexacfg> ") {
    if (!WaitFor(prompt)) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    termios settings{};
    while (tcgetattr(master_, &settings) == 0 && (settings.c_lflag & ICANON)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      ReadSome();
    }
    return true;
  }

  int ExitCode() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        exited_ = true;
        return -1;
      }
      ReadSome();
    }
    while (ReadSome() && HasInput()) {
    }
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Output() const { return output_; }

 private:
  bool HasInput() {
    pollfd ready{master_, POLLIN, 0};
    return poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN);
  }

  bool ReadSome() {
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, 200) < 0) return false;
    if (!(ready.revents & (POLLIN | POLLHUP))) return true;
    char buffer[4096];
    const ssize_t count = read(master_, buffer, sizeof buffer);
    if (count <= 0) return false;
    output_.append(buffer, count);
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string output_;
  size_t seen_ = 0;
};

const char kUp[] = "\x1b[A";
const char kCtrlC[] = "\x03";
const char kCtrlD[] = "\x04";
}  // namespace

TEST_F(Tool, ShellKeepsHistoryAndCompletesNames) {
  ColorsFile("h.cfg", {"1|remembered"});
  {
    Terminal terminal(dir.Path("h.cfg"), dir.Path(""));
    ASSERT_TRUE(terminal.WaitFor(dir.Path("h.cfg") + ", VersionFivePointZero, 86 tables.")) << terminal.Output();
    ASSERT_TRUE(terminal.WaitForPrompt());
    // Completed to "select ParameterDefaults from ParameterDefaultsState ": a
    // statement keyword at the start of the line, then a table name.
    terminal.Type("sel\tParameterDefaults from ParameterDefaultsS\t;\r");
    ASSERT_TRUE(terminal.WaitFor("ParameterSet1")) << terminal.Output();
    ASSERT_TRUE(terminal.WaitForPrompt());
    // Statements may span lines until ";".
    terminal.Type("select PropertyBag\r");
    ASSERT_TRUE(terminal.WaitForPrompt("   ...> "));
    terminal.Type("from Colors;\r");
    ASSERT_TRUE(terminal.WaitFor("remembered")) << terminal.Output();
    ASSERT_TRUE(terminal.WaitForPrompt());
    terminal.Type(kCtrlD);
    EXPECT_EQ(terminal.ExitCode(), 0) << terminal.Output();
  }
  EXPECT_NE(ReadTextFile(dir.Path(".vexacfg_history")).find("select\\040PropertyBag\\040from\\040Colors;"), std::string::npos);

  Terminal again(dir.Path("h.cfg"), dir.Path(""));
  ASSERT_TRUE(again.WaitForPrompt());
  again.Type(std::string(kUp) + "\r");
  ASSERT_TRUE(again.WaitFor("remembered")) << again.Output();
  again.Type(".quit\r");
  EXPECT_EQ(again.ExitCode(), 0);
}

TEST_F(Tool, CtrlCDropsTheLineOrStopsTheRowsAndTheShellGoesOn) {
  std::string rows;
  for (int i = 2; i < 20000; ++i) rows += "update Colors set * = " + std::to_string(i) + "|many where 0\n";
  ColorsFile("c.cfg", {"1|still here"});
  ASSERT_EQ(Run("shell " + Quoted("c.cfg"), rows + ".save\n").exitCode, 0);
  Terminal terminal(dir.Path("c.cfg"), dir.Path(""));
  ASSERT_TRUE(terminal.WaitForPrompt());
  terminal.Type(std::string("select * from Nowhere") + kCtrlC);
  ASSERT_TRUE(terminal.WaitFor("^C"));
  // The terminal stops reading while the rows are printed, so Ctrl-C comes in the middle of them.
  terminal.Type("select * from Colors;\r");
  ASSERT_TRUE(terminal.WaitFor("2|many")) << terminal.Output();
  terminal.Type(kCtrlC);
  ASSERT_TRUE(terminal.WaitForPrompt()) << terminal.Output().substr(terminal.Output().size() - 200);
  EXPECT_EQ(terminal.Output().find("19999|many"), std::string::npos);
  terminal.Type("select PropertyBag from Colors where Color = 1;\r");
  ASSERT_TRUE(terminal.WaitFor("still here")) << terminal.Output();
  ASSERT_TRUE(terminal.WaitForPrompt());
  terminal.Type(kCtrlD);
  EXPECT_EQ(terminal.ExitCode(), 0) << terminal.Output();
  EXPECT_EQ(terminal.Output().find("Nowhere)"), std::string::npos) << terminal.Output();
}

TEST_F(Tool, LeavingWithUnsavedChangesAsksFirst) {
  ColorsFile("u.cfg", {"1|old"});
  std::filesystem::remove(dir.Path("u.cfg.Backup"));
  Terminal terminal(dir.Path("u.cfg"), dir.Path(""));
  ASSERT_TRUE(terminal.WaitForPrompt());
  terminal.Type("update Colors set * = 2|new;\r");
  ASSERT_TRUE(terminal.WaitForPrompt());
  terminal.Type(kCtrlD);
  ASSERT_TRUE(terminal.WaitFor("Save the changes to " + dir.Path("u.cfg") + "?")) << terminal.Output();
  terminal.Type("c\r");
  ASSERT_TRUE(terminal.WaitForPrompt());
  EXPECT_FALSE(std::filesystem::exists(dir.Path("u.cfg.Backup")));  // nothing written before the first save
  terminal.Type(".quit\r");
  ASSERT_TRUE(terminal.WaitFor("Save the changes"));
  terminal.Type("yes\r");
  ASSERT_TRUE(terminal.WaitFor("saved " + dir.Path("u.cfg")));
  EXPECT_EQ(terminal.ExitCode(), 0);
  EXPECT_EQ(Run("query " + Quoted("u.cfg") + " \"select * from Colors\"").out, "1|old\n2|new\n");
  EXPECT_NE(ReadTextFile(dir.Path("u.cfg.Backup")).find("1|old"), std::string::npos);

  Terminal discard(dir.Path("u.cfg"), dir.Path(""));
  ASSERT_TRUE(discard.WaitForPrompt());
  discard.Type("delete * from Colors;\r.quit\r");
  ASSERT_TRUE(discard.WaitFor("Save the changes"));
  discard.Type("n\r");
  EXPECT_EQ(discard.ExitCode(), 0);
  EXPECT_EQ(Run("query " + Quoted("u.cfg") + " \"select * from Colors\"").out, "1|old\n2|new\n");
}
