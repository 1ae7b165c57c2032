// Ctrl-C while the shell prints: caught, so that the output stops and the shell
// returns to its prompt instead of ending.
#pragma once

class InterruptWatch {
 public:
  // Catches Ctrl-C until the watch ends; the default handling comes back then.
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // Forgets a Ctrl-C that came before, at the start of each statement.
  void Reset();
  // Ctrl-C came since the watch began or was reset (always false without a watch).
  static bool Interrupted();
};
