// vexacfg: the command-line tool over configuration files.
#include <clocale>

#include "tools/arguments.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  return RunCommandLine(argc, argv);
}
