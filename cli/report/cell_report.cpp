#include "cli/report/cell_report.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

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

// "n78" for an NR band, "3" for any other.
std::string BandText(long long band, bool nr) { return (nr ? "n" : "") + std::to_string(band); }

std::string Megahertz(long long khz) { return MetricNumber(static_cast<double>(khz) / 1000.0) + " MHz"; }

std::string MetricLine(const char* label, MetricKind kind, const Metric& metric) {
    const char* word = GradeWord(GradeOfMetric(kind, metric));
    return Line(label, Pad(MetricText(metric, InfoOf(kind).unit), 12) + (word ? word : ""), metric.source);
}

// The EN-DC NR leg under the LTE anchor, each row named "NR ...".
std::string NrLegText(const RadioFacts& facts) {
    if (facts.tech != RadioTech::LteNr) return "";
    const NrLeg& leg = facts.nr;
    std::string out = Line("NR leg", "", nullptr);
    if (leg.band.known) out += Line("  band", BandText(leg.band.value, true), leg.band.source);
    if (leg.channel.known) out += Line("  NR-ARFCN", std::to_string(leg.channel.value), leg.channel.source);
    if (leg.bandwidthKhz.known) out += Line("  bandwidth", Megahertz(leg.bandwidthKhz.value), leg.bandwidthKhz.source);
    if (leg.pci.known) out += Line("  PCI", std::to_string(leg.pci.value), leg.pci.source);
    for (MetricKind kind : {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Sinr}) {
        const Metric& metric = leg.metrics.Get(kind);
        if (metric.known) out += MetricLine((std::string("  ") + InfoOf(kind).label).c_str(), kind, metric);
    }
    return out;
}

// One row per component carrier: role and technology, band, channel, bandwidth, PCI, RSRP,
// SINR; "-" for what the modem did not give.
std::string CarriersText(const RadioFacts& facts) {
    if (!facts.carriersKnown || facts.carriers.empty()) return "";
    std::string out = Line("carriers", "", facts.carriersSource);
    const auto cell = [](bool known, const std::string& text, size_t width) { return Pad(known ? text : "-", width); };
    out += "    " + Pad("", 10) + Pad("band", 6) + Pad("channel", 9) + Pad("bandwidth", 11) + Pad("PCI", 6) +
           Pad("RSRP", 12) + "SINR\n";
    for (const Carrier& carrier : facts.carriers) {
        const bool nr = carrier.tech == RadioTech::Nr5g;
        const Metric& rsrp = carrier.metrics.Get(MetricKind::Rsrp);
        const Metric& sinr = carrier.metrics.Get(MetricKind::Sinr);
        std::string line = "    " + Pad(std::string(carrier.primary ? "PCC " : "SCC ") + (nr ? "NR" : "LTE"), 10) +
                           cell(carrier.band.known, BandText(carrier.band.value, nr), 6) +
                           cell(carrier.channel.known, std::to_string(carrier.channel.value), 9) +
                           cell(carrier.bandwidthKhz.known, Megahertz(carrier.bandwidthKhz.value), 11) +
                           cell(carrier.pci.known, std::to_string(carrier.pci.value), 6) +
                           cell(rsrp.known, MetricText(rsrp, "dBm"), 12) + (sinr.known ? MetricText(sinr, "dB") : "-");
        if (carrier.state == CarrierState::Inactive || carrier.state == CarrierState::Deconfigured) line += "  (inactive)";
        out += line + "\n";
    }
    return out;
}

// A text in lines of at most 80 columns, broken at blanks, indented by two (four after the
// first line).
std::string Wrapped(const std::string& text) {
    constexpr size_t kWidth = 80;
    std::string out;
    std::string line = "  ";
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        if (line.size() + word.size() > kWidth && line.find_first_not_of(' ') != std::string::npos) {
            out += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
            line = "    ";
        }
        line += word + " ";
        at = end + 1;
    }
    return out + line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
}

// How figures of an unsettled scale were read.
std::string NotesText(const RadioFacts& facts) {
    std::vector<const char*> notes;
    const auto add = [&](const Metric* metrics) {
        for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
            const char* note = metrics[i].known ? metrics[i].note : nullptr;
            if (note != nullptr && std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(note);
        }
    };
    add(facts.metrics);
    if (facts.tech == RadioTech::LteNr) add(facts.nr.metrics.values);
    for (const Carrier& carrier : facts.carriers) add(carrier.metrics.values);
    std::string out;
    for (const char* note : notes) out += Wrapped("note: " + std::string(note));
    return out;
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
    if (facts.band.known) {
        out += Line("band", BandText(facts.band.value, facts.channelKind == ChannelKind::NrArfcn || facts.tech == RadioTech::Nr5g),
                    facts.band.source);
    }
    if (facts.channel.known) {
        const char* kind = ChannelKindName(facts.channelKind);
        out += Line(kind ? kind : "channel", std::to_string(facts.channel.value), facts.channel.source);
    }
    if (facts.bandwidthKhz.known) out += Line("bandwidth", Megahertz(facts.bandwidthKhz.value), facts.bandwidthKhz.source);
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
        if (metric.known) out += MetricLine(info.label, info.kind, metric);
    }
    return out + NrLegText(facts) + CarriersText(facts) + NotesText(facts);
}

std::string CellReportJson(const std::string& port1251, const RadioFacts& facts) {
    nlohmann::ordered_json doc;
    doc["port"] = Cp1251ToUtf8(port1251);
    AddRadioJson(facts, RadioJsonForm::Cell, MetricPrecision::AsDecoded, &doc);
    return doc.dump(2) + "\n";
}
