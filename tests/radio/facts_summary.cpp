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

// Each known metric as name, relation and value; "~" after one that carries a note.
void AddMetrics(std::string* out, const Metric* metrics) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        const Metric& metric = metrics[i];
        if (!metric.known) continue;
        const char* relation = metric.end == OpenEnd::Below ? "<" : metric.end == OpenEnd::AtOrAbove ? ">=" : "=";
        Add(out, std::string(kMetricNames[i]) + relation + Number(metric.value) + (metric.note ? "~" : ""));
    }
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
    static const char* kKinds[] = {"", "EARFCN", "UARFCN", "ARFCN", "NR-ARFCN"};
    if (facts.channel.known)
        Add(&out, "ch=" + std::to_string(facts.channel.value) + "/" + kKinds[static_cast<int>(facts.channelKind)]);
    if (facts.pci.known) Add(&out, "pci=" + std::to_string(facts.pci.value));
    if (facts.area.known) Add(&out, "area=" + std::to_string(facts.area.value));
    if (facts.cellId.known) Add(&out, "cell=" + std::to_string(facts.cellId.value));
    if (facts.bandwidthKhz.known) Add(&out, "bw=" + Number(facts.bandwidthKhz.value / 1000.0));
    AddMetrics(&out, facts.metrics);
    const NrLeg& nr = facts.nr;
    std::string leg;
    if (nr.band.known) Add(&leg, "band=" + std::to_string(nr.band.value));
    if (nr.channel.known) Add(&leg, "ch=" + std::to_string(nr.channel.value));
    if (nr.pci.known) Add(&leg, "pci=" + std::to_string(nr.pci.value));
    if (nr.bandwidthKhz.known) Add(&leg, "bw=" + Number(nr.bandwidthKhz.value / 1000.0));
    AddMetrics(&leg, nr.metrics.values);
    if (!leg.empty()) Add(&out, "nr[" + leg + "]");
    if (facts.carriersKnown) {
        std::string list;
        for (const Carrier& carrier : facts.carriers) {
            std::string item = carrier.primary ? "pcc" : "scc";
            if (TechName(carrier.tech) != nullptr) Add(&item, TechName(carrier.tech));
            if (carrier.band.known) Add(&item, "band=" + std::to_string(carrier.band.value));
            if (carrier.channel.known) Add(&item, "ch=" + std::to_string(carrier.channel.value));
            if (carrier.bandwidthKhz.known) Add(&item, "bw=" + Number(carrier.bandwidthKhz.value / 1000.0));
            if (carrier.pci.known) Add(&item, "pci=" + std::to_string(carrier.pci.value));
            static const char* kStates[] = {"", "active", "inactive", "deconfigured"};
            if (carrier.state != CarrierState::Unknown) Add(&item, kStates[static_cast<int>(carrier.state)]);
            AddMetrics(&item, carrier.metrics.values);
            list += "(" + item + ")";
        }
        Add(&out, "cc[" + list + "]");
    }
    return out;
}
