#include "radio/metric_table.h"

const MetricInfo kMetricTable[static_cast<int>(MetricKind::Count)] = {
    {MetricKind::Rsrp, "rsrp", "RSRP", "dBm", {-156, -31}, {-140, -44}, {-80, -90, -100}, true},
    {MetricKind::Rsrq, "rsrq", "RSRQ", "dB", {-34, 2.5}, {-19.5, -3}, {-10, -15, -20}, true},
    {MetricKind::Sinr, "sinr", "SINR", "dB", {-23, 40}, {-20, 30}, {20, 13, 0}, true},
    {MetricKind::Rssi, "rssi", "RSSI", "dBm", {-125, -10}, {-110, -48}, {-65, -75, -85}, true},
    {MetricKind::Rscp, "rscp", "RSCP", "dBm", {-125, -20}, {-120, -25}, {-75, -85, -95}, false},
    {MetricKind::Ecno, "ecno", "Ec/No", "dB", {-33, 1}, {-24, 0}, {-6, -10, -15}, false},
};

const MetricInfo& InfoOf(MetricKind kind) {
    for (const MetricInfo& info : kMetricTable) {
        if (info.kind == kind) return info;
    }
    return kMetricTable[0];   // MetricKind::Count is no metric; callers never ask for it
}

bool InRange(MetricKind kind, double value) {
    if (kind == MetricKind::Count) return false;
    const MetricRange range = InfoOf(kind).believed;
    // Written so that a NaN is out of range too.
    return value >= range.low && value <= range.high;
}

bool InNrRange(MetricKind kind, double value) {
    if (kind == MetricKind::Rsrq) return value >= -43 && value <= 20;
    return InRange(kind, value);
}

const char* OpenEndKey(OpenEnd end) {
    switch (end) {
        case OpenEnd::Below: return "below";
        case OpenEnd::AtOrAbove: return "at_or_above";
        case OpenEnd::None: break;
    }
    return nullptr;
}

const char* OpenEndMark(OpenEnd end) {
    switch (end) {
        case OpenEnd::Below: return "< ";
        case OpenEnd::AtOrAbove: return ">= ";
        case OpenEnd::None: break;
    }
    return "";
}
