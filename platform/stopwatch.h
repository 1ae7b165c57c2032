// Elapsed time from the high-resolution performance counter.
#pragma once
#include <chrono>

class Stopwatch {
 public:
  void Start() { start_ = std::chrono::steady_clock::now(); }
  float Seconds() const {
    return std::chrono::duration<float>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
