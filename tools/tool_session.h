// One configuration object for one run of the tool, with a private message log
// and the recorded traces, from which the text and cause of a failure are read
// back for the user.
#pragma once
#include <string>
#include <vector>

#include "automation/vexa_config.h"
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
  // Runs one statement and prints the rows of a select to stdout in the output mode.
  HRESULT Run(const std::string& statement, const OutputOptions& output);
  // Saves the file; the first save copies the file as it was to PATH.Backup first.
  HRESULT Save();
  // Prints "vexacfg: <status>: <message log text or context>: <cause>" on stderr
  // and returns the exit code 1.
  int Fail(HRESULT hr, const std::string& context = "");

 private:
  enum class Operation { kOther, kOpen, kRun };
  void Begin(Operation operation, const std::string& subject);
  std::string NewMessages();

  VexaConfig* config_;
  std::string logPath_;
  size_t logRead_ = 0;
  std::string path_;
  bool backedUp_ = false;
  Operation operation_ = Operation::kOther;
  std::string subject_;
};

// "vexacfg: <text>" on stderr; returns the exit code.
int FailWith(const std::string& text, int exitCode = 1);
