// The thread an object belongs to. Like an apartment object, a wrapper may be used
// only from the thread that made it; the objects underneath take no locks.
#pragma once
#include <thread>

#include "python/status.h"

class Apartment {
 public:
  void Check() const {
    if (std::this_thread::get_id() != owner_)
      throw StatusError(RPC_E_WRONG_THREAD, "the object belongs to the thread that created it");
  }

 private:
  std::thread::id owner_ = std::this_thread::get_id();
};
