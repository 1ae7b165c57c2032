#include "platform/fork_generation.h"

// Windows has no fork.
unsigned ForkGeneration() { return 0; }
