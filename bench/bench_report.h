// Timing and the result lines shared by the benchmarks.
#pragma once

#include <string>
#include <vector>

double NowMs();   // a monotonic clock

double Median(std::vector<double> values);

// "NAME: median M ms over N runs (min A, max B); floor F ms; ratio R (goal <= G: met)"
void PrintRatioLine(const std::string& name, const std::vector<double>& runsMs, double floorMs,
                    double goalRatio);
