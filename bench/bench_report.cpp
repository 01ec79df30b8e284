#include "bench/bench_report.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

double NowMs() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PrintRatioLine(const std::string& name, const std::vector<double>& runsMs, double floorMs,
                    double goalRatio) {
    const double median = Median(runsMs);
    const auto [least, most] = std::minmax_element(runsMs.begin(), runsMs.end());
    const double ratio = floorMs > 0 ? median / floorMs : 0;
    std::printf("%s: median %.1f ms over %zu runs (min %.1f, max %.1f); floor %.1f ms; ratio %.3f "
                "(goal <= %.2f: %s)\n",
                name.c_str(), median, runsMs.size(), *least, *most, floorMs, ratio, goalRatio,
                ratio <= goalRatio ? "met" : "MISSED");
    std::fflush(stdout);
}
