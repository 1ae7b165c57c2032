#include "platform/fork_safety.h"

// Windows has no fork.
unsigned ForkGeneration() { return 0; }

void HoldAcrossFork(std::mutex&) {}

void HoldInnermostAcrossFork(std::mutex&) {}
