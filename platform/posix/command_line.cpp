#include "platform/command_line.h"

// The arguments are bytes, taken to be UTF-8 as they come.
std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }
