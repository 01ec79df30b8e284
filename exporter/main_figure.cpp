#include "exporter/main_figure.h"

#include <cstring>

namespace {

struct Candidate {
    const char* key;
    MetricKind kind;
};
constexpr Candidate kCandidates[] = {{"rsrp", MetricKind::Rsrp}, {"rssi", MetricKind::Rssi},
                                     {"csq_rssi_dbm", MetricKind::Rssi}};

// The last reading's value of a candidate, when the modem answered it.
bool Current(const ExportedModem& modem, const Candidate& candidate, double* value) {
    if (!modem.up) return false;
    if (std::strcmp(candidate.key, "csq_rssi_dbm") == 0) {
        if (modem.rssiDbm) *value = *modem.rssiDbm;
        return modem.rssiDbm.has_value();
    }
    const Metric& metric = modem.radio.Get(candidate.kind);
    if (metric.known) *value = metric.value;
    return metric.known;
}

bool InHistory(const ExportedModem& modem, const Candidate& candidate) {
    if (!modem.history) return false;
    for (const SignalPoint& point : *modem.history) {
        if (!std::isnan(PointFigure(point, candidate.key))) return true;
    }
    return false;
}

}  // namespace

MainFigure MainFigureOf(const ExportedModem& modem) {
    MainFigure figure;
    for (const Candidate& candidate : kCandidates) {
        double value = 0;
        const bool known = Current(modem, candidate, &value);
        if (!known && !InHistory(modem, candidate)) continue;
        figure.chosen = true;
        figure.known = known;
        figure.kind = candidate.kind;
        figure.key = candidate.key;
        figure.value = value;
        if (known) {
            // A radio metric keeps its open end for the grade; +CSQ's level has none.
            const bool radio = std::strcmp(candidate.key, "csq_rssi_dbm") != 0;
            figure.grade = radio ? GradeOfMetric(candidate.kind, modem.radio.Get(candidate.kind))
                                 : GradeOf(candidate.kind, value);
        }
        break;
    }
    return figure;
}

float PointFigure(const SignalPoint& point, const char* key) {
    if (std::strcmp(key, "rsrp") == 0) return point.rsrp;
    if (std::strcmp(key, "rssi") == 0) return point.rssi;
    if (std::strcmp(key, "csq_rssi_dbm") == 0) return point.csqRssiDbm;
    return std::nanf("");
}
