// The command line of vexacfg: subcommands, their usage lines and help, and the
// exit codes shared by every subcommand.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// A subcommand whose usage line is "vexacfg <usage>" and whose one-line
// description stands in the top-level list; `help` is shown by --help only.
CLI::App* AddCommand(CLI::App& app, const std::string& usage, const std::string& description,
                     const std::string& help = "");

// Parses the arguments and runs the subcommand named; returns the exit code.
int RunCommandLine(int argc, char** argv);

// "vexacfg: usage: vexacfg <usage of command>" on stderr; exit code 2.
int UsageError(const std::string& command);
