#include "tools/commands.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <iostream>

#include "platform/text_conversion.h"
#include "store/table.h"
#include "tools/tool_session.h"

namespace {
int UsageError(const Command& command) { return FailWith(std::string("usage: vexacfg ") + command.usage); }

const Command& Find(const char* name) {
  for (const Command& command : Commands())
    if (std::string(command.name) == name) return command;
  std::abort();
}

int Create(const Arguments& arguments) {
  const Command& self = Find("create");
  LONG version = 5;
  std::string path;
  bool force = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--force") {
      force = true;
    } else if (arguments[i] == "--version" && i + 1 < arguments.size()) {
      const std::string& value = arguments[++i];
      if (value != "3" && value != "4" && value != "5") return FailWith("--version takes 3, 4 or 5");
      version = std::atoi(value.c_str());
    } else if (path.empty()) {
      path = arguments[i];
    } else {
      return UsageError(self);
    }
  }
  if (path.empty()) return UsageError(self);
  std::error_code error;
  if (!force && std::filesystem::exists(path, error)) return FailWith(path + " exists (--force replaces it)");
  ToolSession session;
  session.Config().put_Version(version);
  const HRESULT hr = session.Create(path);
  return hr == S_OK ? 0 : session.Fail(hr);
}

int Query(const Arguments& arguments) {
  Arguments statements;
  bool save = false;
  for (const std::string& argument : arguments) {
    if (argument == "--save") save = true;
    else statements.push_back(argument);
  }
  if (statements.size() < 2) return UsageError(Find("query"));
  ToolSession session;
  if (HRESULT hr = session.Open(statements[0], save); FAILED(hr)) return session.Fail(hr);
  for (size_t i = 1; i < statements.size(); ++i)
    if (HRESULT hr = session.Run(statements[i]); FAILED(hr)) return session.Fail(hr, statements[i]);
  if (save) {
    if (HRESULT hr = session.Config().Save(); FAILED(hr)) return session.Fail(hr);
  }
  return 0;
}

void PrintTables(VexaConfig& config) {
  tAtrribute* root = config.Root();
  root->BeginChildren();
  while (tAtrribute* node = root->NextChild()) {
    if (!node->name.Equals("Table")) continue;
    tTable table;
    const int rows = SUCCEEDED(OpenTable(root, node->value.c_str(), table)) ? table.contents->ChildCount() : 0;
    std::printf("%s|%d\n", Utf8FromNarrow(node->value.c_str()).c_str(), rows);
  }
  std::fflush(stdout);
}

int Tables(const Arguments& arguments) {
  if (arguments.size() != 1) return UsageError(Find("tables"));
  ToolSession session;
  if (HRESULT hr = session.Open(arguments[0], false); FAILED(hr)) return session.Fail(hr);
  PrintTables(session.Config());
  return 0;
}

int Version(const Arguments& arguments) {
  if (arguments.size() != 1) return UsageError(Find("version"));
  ToolSession session;
  if (HRESULT hr = session.Open(arguments[0], false); FAILED(hr)) return session.Fail(hr);
  std::printf("%s\n", Utf8FromNarrow(session.Config().VersionName().c_str()).c_str());
  return 0;
}

// Statements line by line, as an SQL shell takes them; a failing statement is
// reported and the shell goes on.
int Shell(const Arguments& arguments) {
  if (arguments.size() != 1) return UsageError(Find("shell"));
  ToolSession session;
  if (HRESULT hr = session.Open(arguments[0], true); FAILED(hr)) return session.Fail(hr);
  const bool interactive = isatty(STDIN_FILENO);
  bool failed = false;
  std::string line;
  for (;;) {
    if (interactive) std::fputs("vexacfg> ", stdout), std::fflush(stdout);
    if (!std::getline(std::cin, line)) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (line == ".quit" || line == ".exit") break;
    HRESULT hr = S_OK;
    if (line == ".help") {
      std::puts(".tables   each table name and its row count\n.save     save the file\n.quit     leave without saving");
    } else if (line == ".tables") {
      PrintTables(session.Config());
    } else if (line == ".save") {
      hr = session.Config().Save();
    } else if (line[0] == '.') {
      FailWith("unknown command " + line + " (try .help)");
      failed = true;
    } else {
      hr = session.Run(line);
    }
    if (FAILED(hr)) {
      session.Fail(hr, line);
      failed = true;
    }
  }
  if (interactive) std::fputs("\n", stdout);
  return failed && !interactive ? 1 : 0;
}
}  // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"create", "create PATH [--version 3|4|5] [--force]",
       "Creates a new configuration file of the version (5 by default), with every table of that version.\n"
       "An existing file is replaced only with --force.",
       Create},
      {"query", "query PATH STATEMENT [STATEMENT...] [--save]",
       "Runs the statements in order and prints the rows of each select, one per line, cells joined by \"|\".\n"
       "With --save the file is saved after the last statement (a .Backup copy of it is made first).",
       Query},
      {"tables", "tables PATH", "Prints each table name and its row count, as NAME|COUNT.", Tables},
      {"version", "version PATH", "Prints the version name of the file.", Version},
      {"params", "params PATH [--set NAME]",
       "Prints the parameter defaults of the active parameter set (or of the set NAME, any case) in name order,\n"
       "one per line: NAME|TYPE|GROUP|SUBGROUP|UNITS|SAMPLERATE.",
       ListParameterDefaults},
      {"events", "events PATH",
       "Prints the event markers in table order, one per line: GROUP|SUBGROUP|USER|IRIGTIME|NAME|PROPBAG.", ListEvents},
      {"shell", "shell PATH",
       "Reads statements line by line and prints their rows. Commands: .tables, .save, .help, .quit.\n"
       "Changes are written only by .save. Without a terminal, any failure gives exit code 1.",
       Shell},
      {"register", "register [--registry FILE]",
       "Registers the fifteen classes and the type library, with this program as their module, in the registry\n"
       "file (by default ~/.vexa-registry.reg).",
       RegisterServer},
      {"unregister", "unregister [--registry FILE]", "Removes what register wrote.", UnregisterServer},
      {"script", "script FILE [--registry FILE]",
       "Runs a script of late-bound calls (see the README). Classes are found in the registry file given, or,\n"
       "without one, in a private registry that the run registers them in and removes afterwards.",
       RunScriptFile},
      {"typelib", "typelib",
       "Prints the type library: each class with its identifier and help string, its interface and outgoing\n"
       "interface, and each member as DISPID NAME get|put|method PARAMETERS[, optional = DEFAULTS].",
       PrintTypeLibrary},
  };
  return commands;
}
