#include "radio/quality_grade.h"

#include "radio/metric_table.h"

Grade GradeOf(MetricKind kind, double value) {
    if (kind == MetricKind::Count || !(value == value)) return Grade::Unknown;
    const GradeBounds t = InfoOf(kind).grades;
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
