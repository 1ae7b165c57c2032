#include "tools/commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "platform/native_file.h"
#include "platform/text_conversion.h"
#include "tools/arguments.h"
#include "tools/schema.h"
#include "tools/statement_reader.h"
#include "tools/tool_session.h"

namespace {
struct CreateOptions {
  std::string path;
  LONG version = 5;
  bool force = false;
};

int Create(const CreateOptions& options) {
  std::error_code error;
  if (!options.force && std::filesystem::exists(FileSystemPath(options.path), error))
    return FailWith(options.path + " exists (--force replaces it)");
  ToolSession session;
  session.Config().put_Version(options.version);
  const HRESULT hr = session.Create(options.path);
  return hr == S_OK ? 0 : session.Fail(hr);
}

struct QueryOptions {
  std::string path;
  std::vector<std::string> statements;
  bool save = false;
  OutputOptions output;
};

int Query(const QueryOptions& options) {
  std::vector<std::string> statements = options.statements;
  if (statements == std::vector<std::string>{"-"}) {
    statements.clear();
    StatementReader reader(StatementReader::Ending::kLineOrSemicolon);
    for (std::string line; std::getline(std::cin, line);)
      for (std::string& statement : reader.Feed(line)) statements.push_back(statement);
    for (std::string& statement : reader.Finish()) statements.push_back(statement);
  } else {
    for (const std::string& statement : statements)
      if (statement == "-") return UsageError("query");
  }
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  for (const std::string& statement : statements)
    if (session.Run(statement, options.output) != ToolSession::Outcome::kDone) return kExitFailure;
  if (options.save) {
    if (HRESULT hr = session.Save(); FAILED(hr)) return session.Fail(hr);
  }
  return 0;
}

struct FileOptions {
  std::string path;
  OutputOptions output;
};

int Tables(const FileOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  std::fputs(FormatRows(options.output, kTableCountColumns, TableCounts(session.Config().Root())).c_str(), stdout);
  return 0;
}

int Version(const FileOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  std::printf("%s\n", Utf8FromNarrow(session.Config().VersionName().c_str()).c_str());
  return 0;
}
}  // namespace

void AddOutputOptions(CLI::App* command, OutputOptions& options) {
  command->add_option("--mode", options.mode, "Output mode (default list: cells joined by \"|\")")
      ->check(CLI::IsMember(OutputModes()));
  command->add_flag("--header", options.header, "Column names first (list, csv and tsv)");
}

void AddCommands(CLI::App& app, int& exitCode) {
  AddFileCommands(app, exitCode);
  AddSchemaCommand(app, exitCode);
  AddCollectionCommands(app, exitCode);
  AddShellCommand(app, exitCode);
  AddImportExportCommands(app, exitCode);
  AddDiffCommand(app, exitCode);
  AddCheckCommand(app, exitCode);
  AddServerCommands(app, exitCode);
  AddServeCommand(app, exitCode);
}

void AddFileCommands(CLI::App& app, int& exitCode) {
  auto create = std::make_shared<CreateOptions>();
  CLI::App* command = AddCommand(app, "create PATH [--version 3|4|5] [--force]", "Create a new configuration file",
                                 "Creates a new configuration file of the version (5 by default), with every table "
                                 "of that version.\nAn existing file is replaced only with --force.");
  command->add_option("PATH", create->path, "The new file")->required();
  command->add_option("--version", create->version, "Version 3, 4 or 5")->check(CLI::IsMember({3, 4, 5}));
  command->add_flag("--force", create->force, "Replace an existing file");
  command->callback([create, &exitCode] { exitCode = Create(*create); });

  auto query = std::make_shared<QueryOptions>();
  command = AddCommand(app, "query PATH STATEMENT [STATEMENT...] [--save] [--changes] [--mode MODE] [--header]",
                       "Run statements and print the rows of each select",
                       "Runs the statements in order and prints the rows of each select, one per line, cells "
                       "joined by \"|\"\n(or in the output mode). STATEMENT - reads the statements from stdin, one a "
                       "line or ending with \";\".\nThe first failing statement stops the run, as does one whose failure the engine only traced\n(a warning with the cause). With --save the file is "
                       "saved after the last statement\n(a .Backup copy of it is made first).");
  command->add_option("PATH", query->path, "The configuration file")->required();
  command->add_option("STATEMENT", query->statements, "Statements of the query language, or -")->required();
  command->add_flag("--save", query->save, "Save after the last statement");
  command->add_flag("--changes", query->output.changes,
                    "After each update or delete, print the rows it added, changed and deleted");
  AddOutputOptions(command, query->output);
  command->callback([query, &exitCode] { exitCode = Query(*query); });

  auto tables = std::make_shared<FileOptions>();
  command = AddCommand(app, "tables PATH [--mode MODE] [--header]", "List the tables and their row counts",
                       "Prints each table name and its row count, as NAME|COUNT.");
  command->add_option("PATH", tables->path, "The configuration file")->required();
  AddOutputOptions(command, tables->output);
  command->callback([tables, &exitCode] { exitCode = Tables(*tables); });

  auto version = std::make_shared<FileOptions>();
  command = AddCommand(app, "version PATH", "Print the version name of a file", "Prints the version name of the file.");
  command->add_option("PATH", version->path, "The configuration file")->required();
  command->callback([version, &exitCode] { exitCode = Version(*version); });
}
