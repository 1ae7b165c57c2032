#include "platform/interrupt.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
  // Windows resets the handler before calling it.
  std::signal(SIGINT, OnInterrupt);
}
}  // namespace

InterruptWatch::InterruptWatch() {
  interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
}

InterruptWatch::~InterruptWatch() { std::signal(SIGINT, SIG_DFL); }

void InterruptWatch::Reset() { interrupted = 0; }

bool InterruptWatch::Interrupted() { return interrupted != 0; }
