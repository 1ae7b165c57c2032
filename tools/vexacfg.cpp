// vexacfg: the command-line tool over configuration files. Its arguments and
// output are UTF-8 whatever the locale; nothing here depends on the locale.
#include <cstdio>
#include <string>

#include "tools/commands.h"
#include "tools/tool_session.h"

namespace {
void PrintUsage(std::FILE* out) {
  std::fputs("usage: vexacfg <command> [arguments]   (vexacfg <command> --help for more)\ncommands:\n", out);
  for (const Command& command : Commands()) std::fprintf(out, "  %s\n", command.usage);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 1;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  for (const Command& command : Commands()) {
    if (name != command.name) continue;
    Arguments arguments(argv + 2, argv + argc);
    if (arguments.size() == 1 && arguments[0] == "--help") {
      std::printf("usage: vexacfg %s\n%s\n", command.usage, command.help);
      return 0;
    }
    return command.run(arguments);
  }
  PrintUsage(stderr);
  return FailWith("unknown command '" + name + "'");
}
