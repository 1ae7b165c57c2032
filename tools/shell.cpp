// vexacfg shell: statements and dot-commands, typed on a terminal with line
// editing, or read from a script on stdin.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "platform/interrupt.h"
#include "platform/line_editor.h"
#include "platform/native_file.h"
#include "platform/terminal.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/completion.h"
#include "tools/schema.h"
#include "tools/statement_reader.h"
#include "tools/tool_session.h"

namespace {
constexpr int kReadDepth = 16;  // .read of a file that reads itself ends here

struct ShellOptions {
  std::string path;
  bool bail = false;
  OutputOptions output;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool Changes(const std::string& statement) {
  static const char* const kChanging[] = {"update", "updat2", "updat3", "delete", "create", "drop"};
  const std::string word = Lower(statement.substr(0, statement.find_first_of(" \t")));
  for (const char* changing : kChanging)
    if (word == changing) return true;
  return false;
}

// The argument of a dot-command that takes a file name, blanks and all.
std::string RestOfLine(const std::string& line) {
  const size_t start = line.find_first_not_of(" \t", line.find_first_of(" \t"));
  return start == std::string::npos ? "" : line.substr(start);
}

std::string HistoryFile() {
  const char* home = std::getenv("HOME");
  return std::string(home ? home : ".") + "/.vexacfg_history";
}

class Shell {
 public:
  Shell(ToolSession& session, const ShellOptions& options) : session_(session), options_(options) {
    output_ = options.output;
  }

  int RunTerminal();
  int RunScript();

 private:
  enum class Flow { kGoOn, kQuit };
  Flow RunStream(std::istream& in, int depth);
  Flow Execute(const std::string& item, int depth);
  Flow DotCommand(const std::string& line, int depth);
  Flow Failed() {
    failed_ = true;
    return options_.bail ? Flow::kQuit : Flow::kGoOn;
  }
  // True when the shell may end: nothing unsaved, or the user said so.
  bool MayLeave();
  void Print(const Cells& names, const std::vector<Cells>& rows) { WriteOutput(FormatRows(output_, names, rows)); }

  ToolSession& session_;
  const ShellOptions& options_;
  OutputOptions output_;
  std::unique_ptr<LineEditor> editor_;
  bool unsaved_ = false;
  bool failed_ = false;
};

int Shell::RunTerminal() {
  tAtrribute* root = session_.Config().Root();
  editor_ = std::make_unique<LineEditor>(
      HistoryFile(), [root](const std::string& line, const std::string& word) { return Completions(line, word, root); });
  std::printf("vexacfg %s: %s, %s, %zu tables. Enter .help for the commands; statements end with \";\".\n",
              VEXA_VERSION, session_.Path().c_str(), session_.Config().VersionName().c_str(),
              TableCounts(root).size());
  StatementReader reader(StatementReader::Ending::kSemicolon);
  InterruptWatch watch;  // Ctrl-C while a statement runs stops its rows, not the shell
  for (;;) {
    std::string line;
    switch (editor_->ReadLine(reader.Pending() ? "   ...> " : "vexacfg> ", line)) {
      case LineEditor::Result::kCancelled:
        reader.Discard();
        continue;
      case LineEditor::Result::kEnd:
        std::fputs("\n", stdout);
        reader.Discard();
        if (MayLeave()) return 0;
        continue;
      case LineEditor::Result::kLine:
        break;
    }
    for (const std::string& item : reader.Feed(line)) {
      editor_->Remember(item[0] == '.' ? item : item + ";");  // a statement of several lines as one
      watch.Reset();
      if (Execute(item, 0) == Flow::kQuit) return 0;
    }
  }
}

int Shell::RunScript() {
  RunStream(std::cin, 0);
  return failed_ ? 1 : 0;
}

Shell::Flow Shell::RunStream(std::istream& in, int depth) {
  StatementReader reader(StatementReader::Ending::kLineOrSemicolon);
  for (std::string line; std::getline(in, line);)
    for (const std::string& item : reader.Feed(line))
      if (Execute(item, depth) == Flow::kQuit) return Flow::kQuit;
  for (const std::string& item : reader.Finish())
    if (Execute(item, depth) == Flow::kQuit) return Flow::kQuit;
  return Flow::kGoOn;
}

Shell::Flow Shell::Execute(const std::string& item, int depth) {
  if (item[0] == '.') return DotCommand(item, depth);
  const ToolSession::Outcome outcome = session_.Run(item, output_);
  if (outcome != ToolSession::Outcome::kFailed && Changes(item)) unsaved_ = true;
  return outcome == ToolSession::Outcome::kDone ? Flow::kGoOn : Failed();
}

Shell::Flow Shell::DotCommand(const std::string& line, int depth) {
  std::istringstream words(line);
  std::string command, argument, extra;
  words >> command >> argument >> extra;
  command = Lower(command);
  tAtrribute* root = session_.Config().Root();
  if (command == ".quit" || command == ".exit") {
    if (MayLeave()) return Flow::kQuit;
  } else if (command == ".help") {
    for (const ::DotCommand& dot : DotCommands()) std::printf("%s\n", dot.help);
    std::puts("Statements end with \";\" and may span lines; Ctrl-C drops the line being typed.");
  } else if (command == ".tables") {
    Print(kTableCountColumns, TableCounts(root));
  } else if (command == ".schema") {
    std::vector<Cells> rows;
    if (!SchemaRows(root, argument, rows)) return FailWith("no table " + argument), Failed();
    Print(kSchemaColumns, rows);
  } else if (command == ".save" && !argument.empty()) {
    const std::string file = RestOfLine(line);
    if (HRESULT hr = session_.SaveAs(file); FAILED(hr)) return session_.Fail(hr, ".save " + file), Failed();
    if (editor_) std::printf("saved %s\n", file.c_str());
  } else if (command == ".save") {
    if (HRESULT hr = session_.Save(); FAILED(hr)) return session_.Fail(hr), Failed();
    unsaved_ = false;
    if (editor_) std::printf("saved %s\n", session_.Path().c_str());
  } else if (command == ".mode" && argument.empty()) {
    std::printf("%s\n", output_.mode.c_str());
  } else if (command == ".mode") {
    const auto& modes = OutputModes();
    if (std::find(modes.begin(), modes.end(), Lower(argument)) == modes.end())
      return FailWith("unknown mode " + argument + " (list, csv, tsv, json, table, box, markdown or line)"), Failed();
    output_.mode = Lower(argument);
  } else if (command == ".headers" || command == ".changes") {
    if (Lower(argument) != "on" && Lower(argument) != "off") return FailWith(command + " takes on or off"), Failed();
    (command == ".headers" ? output_.header : output_.changes) = Lower(argument) == "on";
  } else if (command == ".read" && !argument.empty()) {
    const std::string file = RestOfLine(line);
    std::ifstream in(FileSystemPath(file));
    if (!in) return FailWith("cannot read " + file), Failed();
    if (depth >= kReadDepth) return FailWith(".read nested too deeply"), Failed();
    return RunStream(in, depth + 1);
  } else {
    return FailWith("unknown command " + line + " (try .help)"), Failed();
  }
  return Flow::kGoOn;
}

bool Shell::MayLeave() {
  if (!unsaved_ || !editor_) return true;
  for (int ends = 0; ends < 2;) {
    std::string answer;
    const LineEditor::Result result =
        editor_->ReadLine("Save the changes to " + session_.Path() + "? yes, no (leave without saving), cancel: ", answer);
    if (result == LineEditor::Result::kCancelled) return false;
    if (result == LineEditor::Result::kEnd) {
      std::fputs("\n", stdout);
      ++ends;  // a terminal that is gone answers only this way
      continue;
    }
    const size_t first = answer.find_first_not_of(" \t");
    answer = first == std::string::npos ? "" : Lower(answer.substr(first, answer.find_last_not_of(" \t") - first + 1));
    if (answer == "y" || answer == "yes") {
      if (HRESULT hr = session_.Save(); FAILED(hr)) return session_.Fail(hr), false;
      std::printf("saved %s\n", session_.Path().c_str());
      return true;
    }
    if (answer == "n" || answer == "no") return true;
    if (answer.empty() || answer == "c" || answer == "cancel") return false;
  }
  return true;
}

int RunShell(const ShellOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  Shell shell(session, options);
  return StdinIsTerminal() ? shell.RunTerminal() : shell.RunScript();
}
}  // namespace

void AddShellCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ShellOptions>();
  CLI::App* command = AddCommand(
      app, "shell PATH [--bail] [--changes] [--mode MODE] [--header]", "Statements and dot-commands, typed or from stdin",
      "Runs statements and dot-commands (.help lists them). On a terminal: line editing, history in\n"
      "~/.vexacfg_history, Tab completion; statements end with \";\". From a script on stdin, one statement\n"
      "per line or ending with \";\"; any failure gives exit code 1, and --bail stops at the first.\n"
      "Changes are written only by .save, which keeps the file as it was in PATH.Backup first;\n"
      ".save FILE writes them to FILE instead and leaves PATH as it is.");
  command->add_option("PATH", options->path, "The configuration file")->required();
  command->add_flag("--bail", options->bail, "Stop at the first failing statement or command");
  command->add_flag("--changes", options->output.changes,
                    "After each update or delete, print the rows it added, changed and deleted");
  AddOutputOptions(command, options->output);
  command->callback([options, &exitCode] { exitCode = RunShell(*options); });
}
