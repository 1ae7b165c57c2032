// vexacfg: the command-line tool over configuration files. Its arguments and
// output are UTF-8 whatever the locale; nothing here depends on the locale.

#include <string>
#include <vector>

#include "platform/command_line.h"
#include "tools/arguments.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments = Utf8Arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return RunCommandLine(static_cast<int>(arguments.size()), pointers.data());
}
