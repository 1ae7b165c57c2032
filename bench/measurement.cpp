#include "bench/measurement.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "benchmark: %s failed\n", what);
  std::abort();
}

double Clock(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Spread(const std::vector<double>& values) {
  const double median = Median(values);
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return median > 0 ? (*high - *low) / median : 0;
}

namespace {
size_t ResidentKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::strtoul(line.c_str() + std::strlen(field), nullptr, 10);
  return 0;
}
}  // namespace

size_t PeakInChild(const std::function<void()>& work) {
  int pipeEnds[2];
  Require(pipe(pipeEnds) == 0, "pipe");
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak
    const size_t before = ResidentKilobytes("VmRSS:");
    work();
    const size_t peak = (ResidentKilobytes("VmHWM:") - before) * 1024;
    if (write(pipeEnds[1], &peak, sizeof peak) != sizeof peak) _exit(1);
    _exit(0);
  }
  size_t peak = 0;
  if (read(pipeEnds[0], &peak, sizeof peak) != sizeof peak) peak = 0;
  waitpid(child, nullptr, 0);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  return peak;
}
