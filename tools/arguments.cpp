#include "tools/arguments.h"

#include <cstdio>
#include <map>

#include "tools/commands.h"
#include "tools/tool_session.h"
#include "tools/trace_recorder.h"

namespace {
std::map<std::string, std::string>& UsageLines() {
  static std::map<std::string, std::string> lines;
  return lines;
}

// Help as this tool has always printed it: "usage: vexacfg <usage>" first, then
// the description and the options.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* app, std::string) const override {
    if (!app->get_parent()) return "usage: vexacfg <command> [arguments]   (vexacfg <command> --help for more)\n";
    return "usage: vexacfg " + UsageLines()[app->get_name()] + "\n";
  }
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    std::string help = make_usage(app, name);
    help += app->get_description() + "\n";
    help += make_positionals(app) + make_groups(app, mode) + make_subcommands(app, mode);
    if (!app->get_footer().empty()) help += "\n" + app->get_footer() + "\n";
    return help;
  }
};

// The subcommand that the failed parse had reached, if any.
std::string FailedCommand(CLI::App& app) {
  const auto commands = app.get_subcommands();
  return commands.empty() ? "" : commands.back()->get_name();
}
}  // namespace

CLI::App* AddCommand(CLI::App& app, const std::string& usage, const std::string& description,
                     const std::string& help) {
  const std::string name = usage.substr(0, usage.find(' '));
  UsageLines()[name] = usage;
  CLI::App* command = app.add_subcommand(name, description);
  command->group("Commands");
  if (!help.empty()) command->footer(help);
  return command;
}

int UsageError(const std::string& command) { return FailWith("usage: vexacfg " + UsageLines()[command], kExitUsage); }

int RunCommandLine(int argc, char** argv) {
  CLI::App app("Reads, queries, changes and creates configuration files.", "vexacfg");
  app.formatter(std::make_shared<HelpFormatter>());
  app.set_version_flag("--version", "vexacfg " VEXA_VERSION, "Print the version and exit");
  app.require_subcommand(1);
  // Options are "--name" on every platform; "/name" is a path, also on Windows.
  app.allow_windows_style_options(false);
  int exitCode = kExitSuccess;
  AddCommands(app, exitCode);
  RecordTraces();
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    const std::string command = FailedCommand(app);
    if (command.empty()) {
      std::fputs(app.help().c_str(), stderr);
      if (argc > 1 && argv[1][0] != '-') return FailWith(std::string("unknown command '") + argv[1] + "'", kExitUsage);
      return FailWith(e.what(), kExitUsage);
    }
    FailWith(e.what(), kExitUsage);
    return UsageError(command);
  }
  return exitCode;
}
