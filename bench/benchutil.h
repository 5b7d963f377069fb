#pragma once
// What the benchmarks time with: a millisecond clock on the performance counter, the median of several
// runs (one run in several is disturbed by the machine's other work), and a min/median/max line.
#include <functional>
#include <string>
#include <vector>

namespace qs::bench {

// Milliseconds from an arbitrary start.
double nowMs();
// The milliseconds one call of `work` takes.
double ms(const std::function<void()>& work);
double median(std::vector<double> times);
// The median of `runs` timed calls of `work`; `prepare`, when given, runs untimed before each.
double timeIt(const std::function<void()>& work, int runs = 7);
double timeIt(const std::function<void()>& prepare, const std::function<void()>& work, int runs);
// One line: `what`, then the least, the median and the most of `times`.
void report(const char* what, std::vector<double> times);

// A fresh copy of a seeded file for the next run; ends the benchmark when it cannot be made.
void copyFile(const std::string& from, const std::string& to);

}  // namespace qs::bench
