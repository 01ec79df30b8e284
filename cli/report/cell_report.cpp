#include "cli/report/cell_report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/report/metric_text.h"
#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "radio/metric_table.h"
#include "radio/quality_grade.h"
#include "radio/radio_json.h"

namespace {

constexpr size_t kLabelWidth = 14;
constexpr size_t kValueWidth = 36;
constexpr size_t kMaxOperatorName = 30;

std::string Pad(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string Line(const char* label, const std::string& value, const char* source) {
    std::string line = "  " + Pad(label, kLabelWidth) + (source ? Pad(value, kValueWidth) + source : value);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line + "\n";
}

std::string Hex(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX (%lld)", value, value);
    return text;
}

const char* RegistrationText(Registration registration) {
    switch (registration) {
        case Registration::Home: return "registered, home network";
        case Registration::Roaming: return "registered, roaming";
        case Registration::Searching: return "not registered, searching";
        case Registration::Denied: return "registration denied";
        case Registration::NotSearching: return "not registered, not searching";
        case Registration::Unknown: break;
    }
    return nullptr;
}

// A text the modem wrote, cut to fit the line, controls made visible.
std::string ModemText(const std::string& text1251, size_t maxLength) {
    return Visible1251(text1251.substr(0, maxLength));
}

}  // namespace

const char* AbsenceText(Absence absence) {
    switch (absence) {
        case Absence::NoSim: return "no SIM card";
        case Absence::PinRequired: return "the SIM card asks for its PIN";
        case Absence::RadioOff: return "the radio is off (+CFUN)";
        case Absence::NotRegistered: return "not registered to a network";
        case Absence::Searching: return "searching for a network";
        case Absence::Denied: return "the network denied registration";
        case Absence::None: break;
    }
    return nullptr;
}

std::string CellReportText(const std::string& port1251, const RadioFacts& facts) {
    std::string out = Pad("Cell on " + Visible1251(port1251), 2 + kLabelWidth + kValueWidth) + "source\n";
    if (AbsenceText(facts.absence) != nullptr) out += Line("no service", AbsenceText(facts.absence), nullptr);
    if (TechName(facts.tech) != nullptr) out += Line("technology", TechName(facts.tech), facts.techSource);
    if (RegistrationText(facts.registration) != nullptr)
        out += Line("registration", RegistrationText(facts.registration), facts.registrationSource);
    if (!facts.operatorName.empty())
        out += Line("operator", ModemText(facts.operatorName, kMaxOperatorName), facts.operatorNameSource);
    if (!facts.operatorNumeric.empty())
        out += Line("MCC MNC", ModemText(facts.operatorNumeric, 6), facts.operatorNumericSource);
    if (facts.band.known) out += Line("band", std::to_string(facts.band.value), facts.band.source);
    if (facts.channel.known) {
        const char* kind = ChannelKindName(facts.channelKind);
        out += Line(kind ? kind : "channel", std::to_string(facts.channel.value), facts.channel.source);
    }
    const bool tracking = HasTrackingArea(facts);
    if (facts.pci.known) out += Line(tracking ? "PCI" : "PSC", std::to_string(facts.pci.value), facts.pci.source);
    if (facts.area.known) out += Line(tracking ? "TAC" : "LAC", Hex(facts.area.value), facts.area.source);
    if (facts.cellId.known) {
        out += Line("cell id", Hex(facts.cellId.value), facts.cellId.source);
        if (OnEutran(facts)) {
            out += Line("eNB / sector", std::to_string(EnbIdOf(facts.cellId.value)) + " / " +
                                            std::to_string(SectorOf(facts.cellId.value)),
                        facts.cellId.source);
        }
    }
    for (const MetricInfo& info : kMetricTable) {
        const Metric& metric = facts.Get(info.kind);
        if (!metric.known) continue;
        const char* word = GradeWord(GradeOfMetric(info.kind, metric));
        out += Line(info.label, Pad(MetricText(metric, info.unit), 12) + (word ? word : ""), metric.source);
    }
    if (facts.tech == RadioTech::Nr5g) out += Line("signal", "NR metrics are not read yet", nullptr);
    return out;
}

std::string CellReportJson(const std::string& port1251, const RadioFacts& facts) {
    nlohmann::ordered_json doc;
    doc["port"] = Cp1251ToUtf8(port1251);
    AddRadioJson(facts, RadioJsonForm::Cell, MetricPrecision::AsDecoded, &doc);
    return doc.dump(2) + "\n";
}
