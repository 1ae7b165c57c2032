// What the benchmark programs share: clocks, the median and spread of runs,
// and the peak memory of some work in a child process.
#pragma once
#include <ctime>
#include <functional>
#include <vector>

// Ends the program with a message naming `what` unless `ok`.
void Require(bool ok, const char* what);

double Clock(clockid_t clock);
double Median(std::vector<double> values);
// Largest minus smallest, over the median.
double Spread(const std::vector<double>& values);

// Runs `work` in a child process of its own, so that nothing else moves
// meanwhile; answers the child's peak resident memory above its start, in bytes.
size_t PeakInChild(const std::function<void()>& work);
