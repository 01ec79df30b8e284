#include "tests/radio/facts_summary.h"

#include <cstdio>

namespace {

const char* kMetricNames[] = {"rssi", "rsrp", "rsrq", "sinr", "rscp", "ecno"};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void Add(std::string* out, const std::string& item) {
    if (!out->empty()) *out += ' ';
    *out += item;
}

}  // namespace

std::string FactsSummary(const RadioFacts& facts) {
    std::string out;
    if (TechName(facts.tech) != nullptr) Add(&out, std::string("tech=") + TechName(facts.tech));
    static const char* kRegistrations[] = {"", "idle", "home", "searching", "denied", "roaming"};
    if (facts.registration != Registration::Unknown)
        Add(&out, std::string("reg=") + kRegistrations[static_cast<int>(facts.registration)]);
    static const char* kAbsences[] = {"", "nosim", "pin", "radiooff", "notregistered", "searching", "denied"};
    if (facts.absence != Absence::None) Add(&out, std::string("why=") + kAbsences[static_cast<int>(facts.absence)]);
    if (!facts.operatorName.empty()) Add(&out, "name=" + facts.operatorName);
    if (!facts.operatorNumeric.empty()) Add(&out, "op=" + facts.operatorNumeric);
    if (facts.band.known) Add(&out, "band=" + std::to_string(facts.band.value));
    static const char* kKinds[] = {"", "EARFCN", "UARFCN", "ARFCN"};
    if (facts.channel.known)
        Add(&out, "ch=" + std::to_string(facts.channel.value) + "/" + kKinds[static_cast<int>(facts.channelKind)]);
    if (facts.pci.known) Add(&out, "pci=" + std::to_string(facts.pci.value));
    if (facts.area.known) Add(&out, "area=" + std::to_string(facts.area.value));
    if (facts.cellId.known) Add(&out, "cell=" + std::to_string(facts.cellId.value));
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        const Metric& metric = facts.metrics[i];
        if (!metric.known) continue;
        const char* relation = metric.end == OpenEnd::Below ? "<" : metric.end == OpenEnd::AtOrAbove ? ">=" : "=";
        Add(&out, std::string(kMetricNames[i]) + relation + Number(metric.value));
    }
    return out;
}
