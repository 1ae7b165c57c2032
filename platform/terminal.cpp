#include "platform/terminal.h"

#include <unistd.h>

bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }
