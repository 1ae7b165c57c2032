// vexacfg: the command-line tool over configuration files. Its arguments and
// output are UTF-8 whatever the locale; nothing here depends on the locale.

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/hresult.h"
#include "tools/arguments.h"

// What the automation objects do not turn into a status (the tool's own
// collections and output) still ends as a failure with its cause, never as an
// abort.
int main(int argc, char** argv) {
  try {
    std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return RunCommandLine(static_cast<int>(arguments.size()), pointers.data());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "vexacfg: E_OUTOFMEMORY (0x8007000E): out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vexacfg: E_FAIL (0x80004005): %s\n", e.what());
  }
  return kExitFailure;
}
