#include "radio/quality_grade.h"

namespace {

struct Thresholds {
    double excellent;
    double good;
    double fair;
};

Thresholds ThresholdsOf(MetricKind kind) {
    switch (kind) {
        case MetricKind::Rsrp: return {-80, -90, -100};
        case MetricKind::Rsrq: return {-10, -15, -20};
        case MetricKind::Sinr: return {20, 13, 0};
        case MetricKind::Rssi: return {-65, -75, -85};
        case MetricKind::Rscp: return {-75, -85, -95};
        case MetricKind::Ecno: return {-6, -10, -15};
        case MetricKind::Count: break;
    }
    return {0, 0, 0};
}

}  // namespace

Grade GradeOf(MetricKind kind, double value) {
    if (kind == MetricKind::Count || !(value == value)) return Grade::Unknown;
    const Thresholds t = ThresholdsOf(kind);
    if (value >= t.excellent) return Grade::Excellent;
    if (value >= t.good) return Grade::Good;
    if (value >= t.fair) return Grade::Fair;
    return Grade::Poor;
}

Grade GradeOfMetric(MetricKind kind, const Metric& metric) {
    if (!metric.known) return Grade::Unknown;
    // Below its bound the value is lower than any threshold at that bound.
    if (metric.end == OpenEnd::Below) return GradeOf(kind, metric.value - 0.05);
    return GradeOf(kind, metric.value);
}

const char* GradeEnum(Grade grade) {
    switch (grade) {
        case Grade::Excellent: return "excellent";
        case Grade::Good: return "good";
        case Grade::Fair: return "fair";
        case Grade::Poor: return "poor";
        case Grade::Unknown: break;
    }
    return nullptr;
}

const char* GradeWord(Grade grade) {
    switch (grade) {
        case Grade::Excellent: return "Отлично";
        case Grade::Good: return "Хорошо";
        case Grade::Fair: return "Удовлетворительно";
        case Grade::Poor: return "Плохо";
        case Grade::Unknown: break;
    }
    return nullptr;
}
