#include "radio/radio_json.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "common/cp1251.h"
#include "radio/metric_table.h"
#include "radio/nr_bands.h"
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

// A bandwidth in MHz: 20, 1.4.
Json Megahertz(const KnownInt& khz) {
    if (!khz.known) return Json(nullptr);
    if (khz.value % 1000 == 0) return Json(khz.value / 1000);
    return Json(static_cast<double>(khz.value) / 1000.0);
}

// A metric's value, grade and open end, as the top level writes them.
void AddMetricKeys(const MetricInfo& info, const Metric& metric, MetricPrecision precision, Json* doc) {
    const std::string key = info.key;
    (*doc)[key] = MetricNumber(metric, precision);
    (*doc)[key + "_grade"] = Text(GradeEnum(GradeOfMetric(info.kind, metric)));
    (*doc)[key + "_open_end"] = Text(metric.known ? OpenEndKey(metric.end) : nullptr);
}

constexpr MetricKind kLegMetrics[] = {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Sinr};

// The EN-DC NR leg, null unless the technology is LTE+NR.
Json NrLegJson(const RadioFacts& facts, MetricPrecision precision) {
    if (facts.tech != RadioTech::LteNr) return Json(nullptr);
    const NrLeg& leg = facts.nr;
    Json doc = Json::object();
    doc["band"] = Number(leg.band);
    doc["channel"] = Number(leg.channel);
    doc["pci"] = Number(leg.pci);
    doc["bandwidth_mhz"] = Megahertz(leg.bandwidthKhz);
    Json source;
    source["band"] = Text(leg.band.source);
    source["channel"] = Text(leg.channel.source);
    source["pci"] = Text(leg.pci.source);
    source["bandwidth_mhz"] = Text(leg.bandwidthKhz.source);
    for (MetricKind kind : kLegMetrics) {
        AddMetricKeys(InfoOf(kind), leg.metrics.Get(kind), precision, &doc);
        source[InfoOf(kind).key] = Text(leg.metrics.Get(kind).source);
    }
    doc["source"] = source;
    return doc;
}

const char* CarrierStateKey(CarrierState state) {
    switch (state) {
        case CarrierState::Active: return "active";
        case CarrierState::Inactive: return "inactive";
        case CarrierState::Deconfigured: return "deconfigured";
        case CarrierState::Unknown: break;
    }
    return nullptr;
}

// Every component carrier, the primary first; null when the family gives no carrier list.
Json CarriersJson(const RadioFacts& facts, MetricPrecision precision) {
    if (!facts.carriersKnown) return Json(nullptr);
    Json list = Json::array();
    for (const Carrier& carrier : facts.carriers) {
        Json item;
        item["role"] = carrier.primary ? "pcc" : "scc";
        item["rat"] = Text(TechName(carrier.tech));
        item["band"] = Number(carrier.band);
        item["channel"] = Number(carrier.channel);
        item["bandwidth_mhz"] = Megahertz(carrier.bandwidthKhz);
        item["pci"] = Number(carrier.pci);
        item["state"] = Text(CarrierStateKey(carrier.state));
        for (MetricKind kind : {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Rssi, MetricKind::Sinr}) {
            item[InfoOf(kind).key] = MetricNumber(carrier.metrics.Get(kind), precision);
        }
        list.push_back(item);
    }
    return list;
}

// How figures of an unsettled scale were read, each once.
Json Notes(const RadioFacts& facts) {
    Json notes = Json::array();
    const auto add = [&](const Metric* metrics) {
        for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
            const char* note = metrics[i].known ? metrics[i].note : nullptr;
            if (note != nullptr && std::find(notes.begin(), notes.end(), Json(note)) == notes.end()) notes.push_back(note);
        }
    };
    add(facts.metrics);
    if (facts.tech == RadioTech::LteNr) add(facts.nr.metrics.values);
    for (const Carrier& carrier : facts.carriers) add(carrier.metrics.values);
    return notes;
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
    source["bandwidth_mhz"] = Text(facts.bandwidthKhz.source);
    source["area"] = Text(facts.area.source);
    source["cell_id"] = Text(facts.cellId.source);
    for (const MetricInfo& info : kMetricTable) source[info.key] = Text(facts.Get(info.kind).source);
    source["carriers"] = Text(facts.carriersKnown ? facts.carriersSource : nullptr);
    return source;
}

}  // namespace

int ActiveCarrierCount(const RadioFacts& facts) {
    int count = 0;
    for (const Carrier& carrier : facts.carriers) {
        count += carrier.state != CarrierState::Inactive && carrier.state != CarrierState::Deconfigured;
    }
    return count;
}

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
        // The short form's metrics in the order of their kinds: rssi, rsrp, rsrq, sinr. The
        // reading process adds their open ends, so that "-140" read from the scale's lowest
        // code is still "-140 or less" in its parent's JSON.
        for (int kind = 0; kind < static_cast<int>(MetricKind::Count); ++kind) {
            const MetricInfo& info = InfoOf(static_cast<MetricKind>(kind));
            if (!info.headline) continue;
            const Metric& metric = facts.Get(info.kind);
            doc[info.key] = MetricNumber(metric, precision);
            if (form == RadioJsonForm::Reading) {
                doc[std::string(info.key) + "_open_end"] = Text(metric.known ? OpenEndKey(metric.end) : nullptr);
            }
        }
    }
    doc["band"] = Number(facts.band);
    if (cell) {
        doc["channel"] = Number(facts.channel);
        doc["channel_kind"] = Text(ChannelKindName(facts.channelKind));
        doc["bandwidth_mhz"] = Megahertz(facts.bandwidthKhz);
    }
    doc["pci"] = Number(facts.pci);
    if (!cell) {
        doc["nr"] = NrLegJson(facts, precision);
        doc["carrier_count"] = facts.carriersKnown ? Json(ActiveCarrierCount(facts)) : Json(nullptr);
        if (form == RadioJsonForm::Reading) doc["carriers"] = CarriersJson(facts, precision);
        return;
    }
    AddCellIdentity(facts, &doc);
    for (const MetricInfo& info : kMetricTable) AddMetricKeys(info, facts.Get(info.kind), precision, &doc);
    doc["nr"] = NrLegJson(facts, precision);
    doc["carriers"] = CarriersJson(facts, precision);
    doc["notes"] = Notes(facts);
    doc["source"] = Sources(facts);
}

namespace {

KnownInt WholeOf(const Json& from, const char* key, long long low, long long high) {
    const auto found = from.find(key);
    KnownInt value;
    if (found != from.end() && found->is_number_integer() && *found >= low && *found <= high) {
        value = {true, found->get<long long>()};
    }
    return value;
}

// A bandwidth in MHz back to kHz: 1.4 to 400.
KnownInt KilohertzOf(const Json& from, const char* key) {
    const auto found = from.find(key);
    KnownInt value;
    if (found == from.end() || !found->is_number()) return value;
    const double mhz = found->get<double>();
    if (mhz >= 1.4 && mhz <= 400) value = {true, static_cast<long long>(std::lround(mhz * 1000))};
    return value;
}

// A metric's open end back from its "<key>_open_end"; anything else is none.
OpenEnd OpenEndOf(const Json& from, const std::string& key) {
    const auto found = from.find(key + "_open_end");
    if (found == from.end() || !found->is_string()) return OpenEnd::None;
    for (OpenEnd end : {OpenEnd::Below, OpenEnd::AtOrAbove}) {
        if (*found == OpenEndKey(end)) return end;
    }
    return OpenEnd::None;
}

void MetricsFromJson(const Json& from, std::initializer_list<MetricKind> kinds, Metric* into) {
    for (MetricKind kind : kinds) {
        const auto found = from.find(InfoOf(kind).key);
        if (found == from.end() || !found->is_number()) continue;
        const double value = found->get<double>();
        if (!InNrRange(kind, value)) continue;
        Metric& metric = into[static_cast<int>(kind)];
        metric.known = true;
        metric.value = value;
        metric.end = OpenEndOf(from, InfoOf(kind).key);
    }
}

NrLeg NrLegFromJson(const Json& from) {
    NrLeg leg;
    leg.band = WholeOf(from, "band", 1, 1024);
    leg.channel = WholeOf(from, "channel", 0, kMaxNrArfcn);
    leg.pci = WholeOf(from, "pci", 0, 1007);
    leg.bandwidthKhz = KilohertzOf(from, "bandwidth_mhz");
    MetricsFromJson(from, {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Sinr}, leg.metrics.values);
    return leg;
}

bool CarrierFromJson(const Json& from, Carrier* carrier) {
    if (!from.is_object()) return false;
    const auto text = [&](const char* key) {
        const auto found = from.find(key);
        return found != from.end() && found->is_string() ? found->get<std::string>() : std::string();
    };
    const std::string role = text("role");
    carrier->tech = TechNamed(text("rat"));
    if ((role != "pcc" && role != "scc") || (carrier->tech != RadioTech::Lte && carrier->tech != RadioTech::Nr5g)) {
        return false;
    }
    carrier->primary = role == "pcc";
    carrier->band = WholeOf(from, "band", 1, 1024);
    carrier->channel = WholeOf(from, "channel", 0, kMaxNrArfcn);
    carrier->pci = WholeOf(from, "pci", 0, 1007);
    carrier->bandwidthKhz = KilohertzOf(from, "bandwidth_mhz");
    for (CarrierState state : {CarrierState::Active, CarrierState::Inactive, CarrierState::Deconfigured}) {
        if (text("state") == CarrierStateKey(state)) carrier->state = state;
    }
    MetricsFromJson(from, {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Rssi, MetricKind::Sinr},
                    carrier->metrics.values);
    return true;
}

}  // namespace

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
        if (!(facts.tech == RadioTech::Nr5g ? InNrRange(info.kind, value) : InRange(info.kind, value))) continue;
        Metric& metric = facts.Get(info.kind);
        metric.known = true;
        metric.value = value;
        metric.end = OpenEndOf(from, info.key);
    }
    // The bounds the parsers keep to.
    facts.band = whole("band", 1, 1024);
    facts.pci = whole("pci", 0, 1007);
    const auto nr = from.find("nr");
    if (facts.tech == RadioTech::LteNr && nr != from.end() && nr->is_object()) facts.nr = NrLegFromJson(*nr);
    const auto carriers = from.find("carriers");
    if (carriers != from.end() && carriers->is_array()) {
        facts.carriersKnown = true;
        for (const Json& item : *carriers) {
            Carrier carrier;
            if (facts.carriers.size() < kMaxCarriersRead && CarrierFromJson(item, &carrier)) facts.carriers.push_back(carrier);
        }
    }
    return facts;
}
