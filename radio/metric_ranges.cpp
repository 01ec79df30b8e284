#include "radio/radio_facts.h"

MetricRange RangeOf(MetricKind kind) {
    switch (kind) {
        case MetricKind::Rssi: return {-125, -10};
        case MetricKind::Rsrp: return {-156, -31};
        case MetricKind::Rsrq: return {-34, 2.5};
        case MetricKind::Sinr: return {-23, 40};
        case MetricKind::Rscp: return {-125, -20};
        case MetricKind::Ecno: return {-33, 1};
        case MetricKind::Count: break;
    }
    return {0, 0};
}

bool InRange(MetricKind kind, double value) {
    const MetricRange range = RangeOf(kind);
    // Written so that a NaN is out of range too.
    return value >= range.low && value <= range.high;
}

const char* TechName(RadioTech tech) {
    switch (tech) {
        case RadioTech::Gsm: return "GSM";
        case RadioTech::Umts: return "UMTS";
        case RadioTech::Lte: return "LTE";
        case RadioTech::LteNr: return "LTE+NR";
        case RadioTech::Nr5g: return "NR";
        case RadioTech::Unknown: break;
    }
    return nullptr;
}
