// One configuration object for one run of the tool, with a private message log
// from which the text of a failure is read back for the user.
#pragma once
#include <string>

#include "automation/vexa_config.h"

class ToolSession {
 public:
  ToolSession();
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  VexaConfig& Config() { return *config_; }
  // Opens the file; a backup copy is made only when the file is going to be written.
  HRESULT Open(const std::string& path, bool willSave);
  // Writes a new file of the configuration object's version, left closed.
  HRESULT Create(const std::string& path);
  // Runs one statement and prints the rows of a select to stdout, one per line.
  HRESULT Run(const std::string& statement);
  // Prints "vexacfg: <status>: <message log text>" on stderr, or the context
  // (such as the failing statement) when the log has nothing; exit code 1.
  int Fail(HRESULT hr, const std::string& context = "");

 private:
  std::string NewMessages();

  VexaConfig* config_;
  std::string logPath_;
  size_t logRead_ = 0;
};

// "vexacfg: <text>" on stderr; exit code 1.
int FailWith(const std::string& text);
