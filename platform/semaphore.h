// A counting semaphore: Wait blocks until the count is above zero, then takes one.
#pragma once
#include <condition_variable>
#include <mutex>

class tSemaphore {
 public:
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++count_;
    }
    available_.notify_one();
  }

  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    available_.wait(lock, [this] { return count_ > 0; });
    --count_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable available_;
  long count_ = 0;
};
