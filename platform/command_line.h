// The program's arguments as UTF-8. Windows gives a program's narrow arguments
// in its ANSI code page, which loses every character the code page cannot write,
// so there they are read from the wide command line.
#pragma once
#include <string>
#include <vector>

std::vector<std::string> Utf8Arguments(int argc, char** argv);
