#include "cli/report/metric_text.h"

#include <nlohmann/json.hpp>
#include <cstdio>

std::string MetricNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out = text;
    if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) out.resize(out.size() - 2);
    if (out == "-0") out = "0";
    return out;
}

std::string MetricText(const Metric& metric, const char* unit) {
    const char* relation = metric.end == OpenEnd::Below ? "< " : metric.end == OpenEnd::AtOrAbove ? ">= " : "";
    return relation + MetricNumber(metric.value) + " " + unit;
}

nlohmann::ordered_json MetricJson(const Metric& metric) {
    if (!metric.known) return nullptr;
    const long long whole = static_cast<long long>(metric.value);
    if (static_cast<double>(whole) == metric.value) return whole;
    return metric.value;
}

nlohmann::ordered_json KnownIntJson(const KnownInt& value) {
    return value.known ? nlohmann::ordered_json(value.value) : nlohmann::ordered_json(nullptr);
}
