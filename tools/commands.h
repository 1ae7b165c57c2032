// The subcommands of vexacfg. Each Add... function declares its subcommands on
// the command line; a subcommand that runs stores its exit code in `exitCode`:
// 0 for success, 1 for a failure, 2 for a usage error.
#pragma once
#include <CLI/CLI.hpp>

#include "tools/output_format.h"

void AddCommands(CLI::App& app, int& exitCode);

// --mode and --header.
void AddOutputOptions(CLI::App* command, OutputOptions& options);

// commands.cpp: create, query, tables, version
void AddFileCommands(CLI::App& app, int& exitCode);
// schema.cpp
void AddSchemaCommand(CLI::App& app, int& exitCode);
// collection_commands.cpp: params, events
void AddCollectionCommands(CLI::App& app, int& exitCode);
// shell.cpp
void AddShellCommand(CLI::App& app, int& exitCode);
// import_export.cpp: export, import
void AddImportExportCommands(CLI::App& app, int& exitCode);
// diff.cpp
void AddDiffCommand(CLI::App& app, int& exitCode);
// check.cpp
void AddCheckCommand(CLI::App& app, int& exitCode);
// server_commands.cpp: register, unregister, script, typelib
void AddServerCommands(CLI::App& app, int& exitCode);
// workbench_server.cpp: serve
void AddServeCommand(CLI::App& app, int& exitCode);
