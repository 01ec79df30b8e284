#include "cli/report/metric_text.h"

#include <nlohmann/json.hpp>
#include <cstdio>

#include "radio/metric_table.h"

std::string MetricNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out = text;
    if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) out.resize(out.size() - 2);
    if (out == "-0") out = "0";
    return out;
}

std::string MetricText(const Metric& metric, const char* unit) {
    return OpenEndMark(metric.end) + MetricNumber(metric.value) + " " + unit;
}
