// One configuration object for one run of the tool, with a private message log
// and the recorded traces, from which the text and cause of a failure are read
// back for the user.
#pragma once
#include <string>
#include <vector>

#include "automation/vexa_config.h"
#include "tools/failure_cause.h"
#include "tools/output_format.h"

class ToolSession {
 public:
  ToolSession();
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  VexaConfig& Config() { return *config_; }
  const std::string& Path() const { return path_; }
  // Opens the file; no backup copy is made until the first Save.
  HRESULT Open(const std::string& path);
  // Writes a new file of the configuration object's version, left closed.
  HRESULT Create(const std::string& path);
  // Runs one statement and gives the rows of a select as cells under their column names.
  HRESULT Select(const std::string& statement, Cells& names, std::vector<Cells>& rows);
  enum class Outcome { kDone, kWarned, kFailed };
  // Runs one statement and prints the rows of a select to stdout in the output
  // mode. A failure prints its error line; a failure that the engine traced
  // while answering with success prints a warning with its cause.
  Outcome Run(const std::string& statement, const OutputOptions& output);
  // Saves the file; the first save copies the file as it was to PATH.Backup first.
  HRESULT Save();
  // Writes the changes so far to another file; the open file stays as it is.
  HRESULT SaveAs(const std::string& path);
  // Prints "vexacfg: <status>: <message log text or context>: <cause>" on stderr
  // and returns the exit code 1.
  int Fail(HRESULT hr, const std::string& context = "");

 private:
  void Begin(FailedStep step, const std::string& subject);
  std::string NewMessages();

  VexaConfig* config_;
  std::string logPath_;
  size_t logRead_ = 0;
  std::string path_;
  bool backedUp_ = false;
  FailedStep step_ = FailedStep::kOther;
  std::string subject_;
};

// Prints the text on stdout, in pieces, so that Ctrl-C under an InterruptWatch
// stops it (and says so with "^C").
void WriteOutput(const std::string& text);

// "vexacfg: <text>" on stderr; returns the exit code.
int FailWith(const std::string& text, int exitCode = 1);
