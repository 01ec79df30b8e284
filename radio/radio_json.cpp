#include "radio/radio_json.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "common/cp1251.h"
#include "radio/metric_table.h"
#include "radio/quality_grade.h"

namespace {

using Json = nlohmann::ordered_json;

Json Text(const char* text) { return text != nullptr ? Json(text) : Json(nullptr); }

Json Number(const KnownInt& value) { return value.known ? Json(value.value) : Json(nullptr); }

// A text the modem wrote (Windows-1251), as UTF-8.
Json ModemText(const std::string& text1251) { return text1251.empty() ? Json(nullptr) : Json(Cp1251ToUtf8(text1251)); }

Json MetricNumber(const Metric& metric, MetricPrecision precision) {
    if (!metric.known) return Json(nullptr);
    const double value = precision == MetricPrecision::Tenths ? std::round(metric.value * 10) / 10 : metric.value;
    const long long whole = static_cast<long long>(value);
    if (static_cast<double>(whole) == value) return Json(whole);
    return Json(value);
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

// `cell`'s keys about the cell itself, between pci and the metrics.
void AddCellIdentity(const RadioFacts& facts, Json* doc) {
    const bool tracking = HasTrackingArea(facts);
    const bool eutran = OnEutran(facts);
    (*doc)["tac"] = tracking ? Number(facts.area) : Json(nullptr);
    (*doc)["lac"] = tracking ? Json(nullptr) : Number(facts.area);
    (*doc)["cell_id"] = Number(facts.cellId);
    (*doc)["enb_id"] = eutran && facts.cellId.known ? Json(EnbIdOf(facts.cellId.value)) : Json(nullptr);
    (*doc)["sector"] = eutran && facts.cellId.known ? Json(SectorOf(facts.cellId.value)) : Json(nullptr);
}

Json Sources(const RadioFacts& facts) {
    Json source;
    source["rat"] = Text(facts.techSource);
    source["registration"] = Text(facts.registrationSource);
    source["operator"] = Text(facts.operatorNameSource);
    source["operator_numeric"] = Text(facts.operatorNumericSource);
    source["band"] = Text(facts.band.source);
    source["channel"] = Text(facts.channel.source);
    source["pci"] = Text(facts.pci.source);
    source["area"] = Text(facts.area.source);
    source["cell_id"] = Text(facts.cellId.source);
    for (const MetricInfo& info : kMetricTable) source[info.key] = Text(facts.Get(info.kind).source);
    return source;
}

}  // namespace

void AddRadioJson(const RadioFacts& facts, RadioJsonForm form, MetricPrecision precision, Json* into) {
    Json& doc = *into;
    const bool cell = form == RadioJsonForm::Cell;
    doc["rat"] = Text(TechName(facts.tech));
    if (cell) {
        doc["registration"] = Text(RegistrationKey(facts.registration));
        doc["reason"] = Text(AbsenceKey(facts.absence));
        doc["operator"] = ModemText(facts.operatorName);
        doc["operator_numeric"] = ModemText(facts.operatorNumeric);
    } else {
        // The short form's metrics in the order of their kinds: rssi, rsrp, rsrq, sinr.
        for (int kind = 0; kind < static_cast<int>(MetricKind::Count); ++kind) {
            const MetricInfo& info = InfoOf(static_cast<MetricKind>(kind));
            if (info.headline) doc[info.key] = MetricNumber(facts.Get(info.kind), precision);
        }
    }
    doc["band"] = Number(facts.band);
    if (cell) {
        doc["channel"] = Number(facts.channel);
        doc["channel_kind"] = Text(ChannelKindName(facts.channelKind));
    }
    doc["pci"] = Number(facts.pci);
    if (!cell) return;
    AddCellIdentity(facts, &doc);
    for (const MetricInfo& info : kMetricTable) {
        const Metric& metric = facts.Get(info.kind);
        const std::string key = info.key;
        doc[key] = MetricNumber(metric, precision);
        doc[key + "_grade"] = Text(GradeEnum(GradeOfMetric(info.kind, metric)));
        doc[key + "_open_end"] = Text(metric.known ? OpenEndKey(metric.end) : nullptr);
    }
    doc["source"] = Sources(facts);
}

RadioFacts RadioFactsFromJson(const Json& from) {
    RadioFacts facts;
    if (!from.is_object()) return facts;
    const auto text = [&](const char* key) {
        const auto found = from.find(key);
        return found != from.end() && found->is_string() ? found->get<std::string>() : std::string();
    };
    const auto whole = [&](const char* key, long long low, long long high) {
        const auto found = from.find(key);
        KnownInt value;
        if (found != from.end() && found->is_number_integer() && *found >= low && *found <= high) {
            value = {true, found->get<long long>()};
        }
        return value;
    };
    facts.tech = TechNamed(text("rat"));
    for (const MetricInfo& info : kMetricTable) {
        const auto found = from.find(info.key);
        if (!info.headline || found == from.end() || !found->is_number()) continue;
        const double value = found->get<double>();
        if (!InRange(info.kind, value)) continue;
        Metric& metric = facts.Get(info.kind);
        metric.known = true;
        metric.value = value;
    }
    // The bounds the parsers keep to.
    facts.band = whole("band", 1, 255);
    facts.pci = whole("pci", 0, 511);
    return facts;
}
