#include "cli/report/cell_report.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/report/metric_text.h"
#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "radio/quality_grade.h"

namespace {

constexpr size_t kLabelWidth = 14;
constexpr size_t kValueWidth = 36;
constexpr size_t kMaxOperatorName = 30;

struct MetricRow {
    MetricKind kind;
    const char* label;   // on screen
    const char* key;     // in JSON
    const char* unit;
};

constexpr MetricRow kMetricRows[] = {
    {MetricKind::Rsrp, "RSRP", "rsrp", "dBm"}, {MetricKind::Rsrq, "RSRQ", "rsrq", "dB"},
    {MetricKind::Sinr, "SINR", "sinr", "dB"},  {MetricKind::Rssi, "RSSI", "rssi", "dBm"},
    {MetricKind::Rscp, "RSCP", "rscp", "dBm"}, {MetricKind::Ecno, "Ec/No", "ecno", "dB"},
};

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

const char* RegistrationKey(Registration registration) {
    switch (registration) {
        case Registration::Home: return "home";
        case Registration::Roaming: return "roaming";
        case Registration::Searching: return "searching";
        case Registration::Denied: return "denied";
        case Registration::NotSearching: return "not_registered";
        case Registration::Unknown: break;
    }
    return nullptr;
}

const char* AbsenceKey(Absence absence) {
    switch (absence) {
        case Absence::NoSim: return "no_sim";
        case Absence::PinRequired: return "pin_required";
        case Absence::RadioOff: return "radio_off";
        case Absence::NotRegistered: return "not_registered";
        case Absence::Searching: return "searching";
        case Absence::Denied: return "denied";
        case Absence::None: break;
    }
    return nullptr;
}

const char* ChannelKindName(ChannelKind kind) {
    switch (kind) {
        case ChannelKind::Earfcn: return "EARFCN";
        case ChannelKind::Uarfcn: return "UARFCN";
        case ChannelKind::Arfcn: return "ARFCN";
        case ChannelKind::None: break;
    }
    return nullptr;
}

bool IsLte(const RadioFacts& facts) {
    return facts.tech == RadioTech::Lte || facts.tech == RadioTech::LteNr || facts.channelKind == ChannelKind::Earfcn;
}

// A text the modem wrote, cut to fit the line, controls made visible.
std::string ModemText(const std::string& text1251, size_t maxLength) {
    return Visible1251(text1251.substr(0, maxLength));
}

using Json = nlohmann::ordered_json;

Json Nullable(const KnownInt& value) { return KnownIntJson(value); }
Json Nullable(const char* text) { return text ? Json(text) : Json(nullptr); }

Json NullableText(const std::string& text1251) {
    return text1251.empty() ? Json(nullptr) : Json(Cp1251ToUtf8(text1251));
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
    if (facts.pci.known) out += Line(IsLte(facts) ? "PCI" : "PSC", std::to_string(facts.pci.value), facts.pci.source);
    if (facts.area.known) out += Line(IsLte(facts) ? "TAC" : "LAC", Hex(facts.area.value), facts.area.source);
    if (facts.cellId.known) {
        out += Line("cell id", Hex(facts.cellId.value), facts.cellId.source);
        if (IsLte(facts)) {
            out += Line("eNB / sector", std::to_string(EnbIdOf(facts.cellId.value)) + " / " +
                                            std::to_string(SectorOf(facts.cellId.value)),
                        facts.cellId.source);
        }
    }
    for (const MetricRow& row : kMetricRows) {
        const Metric& metric = facts.Get(row.kind);
        if (!metric.known) continue;
        const char* word = GradeWord(GradeOfMetric(row.kind, metric));
        out += Line(row.label, Pad(MetricText(metric, row.unit), 12) + (word ? word : ""), metric.source);
    }
    if (facts.tech == RadioTech::Nr5g) out += Line("signal", "NR metrics are not read yet", nullptr);
    return out;
}

std::string CellReportJson(const std::string& port1251, const RadioFacts& facts) {
    Json doc;
    doc["port"] = Cp1251ToUtf8(port1251);
    doc["rat"] = Nullable(TechName(facts.tech));
    doc["registration"] = Nullable(RegistrationKey(facts.registration));
    doc["reason"] = Nullable(AbsenceKey(facts.absence));
    doc["operator"] = NullableText(facts.operatorName);
    doc["operator_numeric"] = NullableText(facts.operatorNumeric);
    doc["band"] = Nullable(facts.band);
    doc["channel"] = Nullable(facts.channel);
    doc["channel_kind"] = Nullable(ChannelKindName(facts.channelKind));
    doc["pci"] = Nullable(facts.pci);
    const bool lte = IsLte(facts);
    doc["tac"] = lte ? Nullable(facts.area) : Json(nullptr);
    doc["lac"] = lte ? Json(nullptr) : Nullable(facts.area);
    doc["cell_id"] = Nullable(facts.cellId);
    doc["enb_id"] = lte && facts.cellId.known ? Json(EnbIdOf(facts.cellId.value)) : Json(nullptr);
    doc["sector"] = lte && facts.cellId.known ? Json(SectorOf(facts.cellId.value)) : Json(nullptr);
    for (const MetricRow& row : kMetricRows) {
        const Metric& metric = facts.Get(row.kind);
        doc[row.key] = MetricJson(metric);
        doc[std::string(row.key) + "_grade"] = Nullable(GradeEnum(GradeOfMetric(row.kind, metric)));
        const char* end = !metric.known || metric.end == OpenEnd::None ? nullptr
                          : metric.end == OpenEnd::Below                ? "below"
                                                                        : "at_or_above";
        doc[std::string(row.key) + "_open_end"] = Nullable(end);
    }
    Json source;
    source["rat"] = Nullable(facts.techSource);
    source["registration"] = Nullable(facts.registrationSource);
    source["operator"] = Nullable(facts.operatorNameSource);
    source["operator_numeric"] = Nullable(facts.operatorNumericSource);
    source["band"] = Nullable(facts.band.source);
    source["channel"] = Nullable(facts.channel.source);
    source["pci"] = Nullable(facts.pci.source);
    source["area"] = Nullable(facts.area.source);
    source["cell_id"] = Nullable(facts.cellId.source);
    for (const MetricRow& row : kMetricRows) source[row.key] = Nullable(facts.Get(row.kind).source);
    doc["source"] = source;
    return doc.dump(2) + "\n";
}
