// vexacfg: the command-line tool over configuration files. Its arguments and
// output are UTF-8 whatever the locale; nothing here depends on the locale.

#include "tools/arguments.h"

int main(int argc, char** argv) {
  return RunCommandLine(argc, argv);
}
