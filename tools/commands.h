// The subcommands of vexacfg. Each takes the arguments behind its name and
// returns the exit code: 0 for success, 1 for any failure.
#pragma once
#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;
  const char* help;
  int (*run)(const Arguments& arguments);
};

const std::vector<Command>& Commands();

// collection_commands.cpp
int ListParameterDefaults(const Arguments& arguments);
int ListEvents(const Arguments& arguments);

// server_commands.cpp
int RegisterServer(const Arguments& arguments);
int UnregisterServer(const Arguments& arguments);
int RunScriptFile(const Arguments& arguments);
int PrintTypeLibrary(const Arguments& arguments);
