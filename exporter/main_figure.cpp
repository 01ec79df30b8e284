#include "exporter/main_figure.h"

#include <cstring>

MainFigure MainFigureOf(const ExportedModem& modem) {
    MainFigure figure;
    if (!modem.up) return figure;
    for (MetricKind kind : {MetricKind::Rsrp, MetricKind::Rssi}) {
        const Metric& metric = modem.radio.Get(kind);
        if (!metric.known) continue;
        figure = {true, kind, kind == MetricKind::Rsrp ? "rsrp" : "rssi", metric.value, GradeOfMetric(kind, metric)};
        return figure;
    }
    if (modem.rssiDbm) {
        figure = {true, MetricKind::Rssi, "csq_rssi_dbm", static_cast<double>(*modem.rssiDbm),
                  GradeOf(MetricKind::Rssi, *modem.rssiDbm)};
    }
    return figure;
}

float PointFigure(const SignalPoint& point, const char* key) {
    if (std::strcmp(key, "rsrp") == 0) return point.rsrp;
    if (std::strcmp(key, "rssi") == 0) return point.rssi;
    if (std::strcmp(key, "csq_rssi_dbm") == 0) return point.csqRssiDbm;
    return std::nanf("");
}
