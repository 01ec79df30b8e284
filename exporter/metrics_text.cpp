#include "exporter/metrics_text.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "exporter/label_value.h"
#include "exporter/metric_family.h"
#include "exporter/usb_device_metric.h"
#include "cli/report/metric_text.h"

namespace {

double Seconds(ExporterClock::duration duration) { return std::chrono::duration<double>(duration).count(); }

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// A family with a sample per modem, each labelled by its identity first. `sample` gives the
// labels after the identity (",name=\"value\"", escaped) and the value; false when the modem
// has none to give. A new per-modem metric is one row of kModemFamilies.
// A family whose modem may give several samples (one per radio leg, one per component
// carrier) has `samples` in place of `sample`: it adds each one's labels after the identity
// and its value.
struct ModemFamily {
    const char* name;
    const char* type;
    const char* help;
    bool (*sample)(const ExportedModem& modem, ExporterClock::time_point now, std::string* labels, std::string* value);
    void (*samples)(const ExportedModem& modem, std::vector<MetricSample>* out) = nullptr;
};

// A family of the exporter as a whole: what the fleet or the exporter itself counts.
struct ExporterFamily {
    const char* name;
    const char* type;
    const char* help;
    std::vector<MetricSample> (*samples)(const ExporterSnapshot& snapshot);
};

template <typename Number>
bool Known(const std::optional<Number>& number, std::string* value) {
    if (!number) return false;
    *value = std::to_string(*number);
    return true;
}

// The technology of the serving cell's figures as the rat label: "LTE" for the anchor of
// EN-DC too, "NR" on standalone NR.
std::string ServingRat(const RadioFacts& radio) {
    const RadioTech tech = radio.tech == RadioTech::LteNr ? RadioTech::Lte : radio.tech;
    return TechName(tech) != nullptr ? TechName(tech) : "";
}

// The radio facts, where the modem's radio family (or +CESQ) gives them, one sample per leg
// labelled by its rat: the serving cell's, and on EN-DC the NR leg's. A 3G stick has none and
// keeps to the +CSQ level.
template <MetricKind kind>
void RadioGauge(const ExportedModem& m, std::vector<MetricSample>* out) {
    if (!m.up) return;
    const Metric& serving = m.radio.Get(kind);
    if (serving.known) out->push_back({",rat=\"" + LabelValue(ServingRat(m.radio)) + "\"", MetricNumber(serving.value)});
    const Metric& leg = m.radio.nr.metrics.Get(kind);
    if (m.radio.tech == RadioTech::LteNr && leg.known) out->push_back({",rat=\"NR\"", MetricNumber(leg.value)});
}

std::string Whole(const KnownInt& value) { return value.known ? std::to_string(value.value) : ""; }

// Band and PCI as labels: they name the serving cell (and the NR leg on EN-DC), and a modem
// that stays put sees few. Bands are plain numbers on both technologies; rat tells them apart.
void ServingCellInfo(const ExportedModem& m, std::vector<MetricSample>* out) {
    if (!m.up) return;
    const auto add = [out](const std::string& rat, const KnownInt& band, const KnownInt& pci) {
        if (!band.known && !pci.known) return;
        out->push_back({",rat=\"" + LabelValue(rat) + "\",band=\"" + Whole(band) + "\",pci=\"" + Whole(pci) + "\"", "1"});
    };
    add(ServingRat(m.radio), m.radio.band, m.radio.pci);
    if (m.radio.tech == RadioTech::LteNr) add("NR", m.radio.nr.band, m.radio.nr.pci);
}

// The labels that name a component carrier: its role, technology, band, channel and PCI.
std::string CarrierLabels(const Carrier& carrier) {
    return std::string(",role=\"") + (carrier.primary ? "pcc" : "scc") + "\",rat=\"" +
           LabelValue(TechName(carrier.tech) != nullptr ? TechName(carrier.tech) : "") + "\",band=\"" +
           Whole(carrier.band) + "\",channel=\"" + Whole(carrier.channel) + "\",pci=\"" + Whole(carrier.pci) + "\"";
}

void CarrierInfo(const ExportedModem& m, std::vector<MetricSample>* out) {
    if (!m.up) return;
    for (const Carrier& carrier : m.radio.carriers) {
        const KnownInt& khz = carrier.bandwidthKhz;
        out->push_back({CarrierLabels(carrier) + ",bandwidth_mhz=\"" +
                            (khz.known ? MetricNumber(static_cast<double>(khz.value) / 1000.0) : "") + "\"",
                        "1"});
    }
}

template <MetricKind kind>
void CarrierGauge(const ExportedModem& m, std::vector<MetricSample>* out) {
    if (!m.up) return;
    for (const Carrier& carrier : m.radio.carriers) {
        const Metric& metric = carrier.metrics.Get(kind);
        if (metric.known) out->push_back({CarrierLabels(carrier), MetricNumber(metric.value)});
    }
}

std::vector<MetricSample> One(std::string value) { return {{"", std::move(value)}}; }

const ModemFamily kModemFamilies[] = {
    {"vesmarin_up", "gauge", "Whether the modem answered its last reading (1) or not (0).",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         *v = m.up ? "1" : "0";
         return true;
     }},
    {"vesmarin_modem_info", "gauge", "The modem's facts from its last information run, as labels; always 1.",
     [](const ExportedModem& m, ExporterClock::time_point, std::string* l, std::string* v) {
         *l += ",imei=\"" + LabelValue(m.identity.imei) + "\",model=\"" + LabelValue(m.model) + "\",firmware=\"" +
               LabelValue(m.firmware) + "\",usb_path=\"" + LabelValue(m.identity.usbPath) + "\",by_id=\"" +
               LabelValue(m.identity.byId) + "\",port=\"" + LabelValue(m.port) + "\",technology=\"" +
               LabelValue(TechnologyOf(m)) + "\",operator=\"" + LabelValue(m.operatorName) + "\"";
         *v = "1";
         return true;
     }},
    {"vesmarin_signal_rssi_dbm", "gauge", "Received signal strength (+CSQ), in dBm.",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         return m.up && Known(m.rssiDbm, v);
     }},
    {"vesmarin_signal_csq", "gauge", "The 3G signal level as +CSQ gives it (0-31, 99 unknown).",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         return m.up && Known(m.csq, v);
     }},
    {"vesmarin_rssi_dbm", "gauge",
     "Received signal strength of the serving cell as the radio family reports it, in dBm; rat LTE or NR.",
     nullptr, RadioGauge<MetricKind::Rssi>},
    {"vesmarin_rsrp_dbm", "gauge",
     "Reference signal received power, in dBm; rat LTE or NR (both on EN-DC).", nullptr, RadioGauge<MetricKind::Rsrp>},
    {"vesmarin_rsrq_db", "gauge",
     "Reference signal received quality, in dB; rat LTE or NR (both on EN-DC).", nullptr, RadioGauge<MetricKind::Rsrq>},
    {"vesmarin_sinr_db", "gauge",
     "Signal to interference plus noise ratio, in dB; rat LTE or NR (both on EN-DC).", nullptr,
     RadioGauge<MetricKind::Sinr>},
    {"vesmarin_serving_cell_info", "gauge",
     "The serving cell's band and physical cell id (PCI), as labels, per rat (the NR leg too on EN-DC); always 1.",
     nullptr, ServingCellInfo},
    {"vesmarin_carrier_info", "gauge",
     "Each component carrier the modem reports: role (pcc/scc), rat, band, channel, pci, bandwidth_mhz; always 1.",
     nullptr, CarrierInfo},
    {"vesmarin_carrier_rsrp_dbm", "gauge", "A component carrier's reference signal received power, in dBm.", nullptr,
     CarrierGauge<MetricKind::Rsrp>},
    {"vesmarin_carrier_sinr_db", "gauge", "A component carrier's signal to interference plus noise ratio, in dB.",
     nullptr, CarrierGauge<MetricKind::Sinr>},
    {"vesmarin_registration_state", "gauge",
     "Network registration, the <stat> of the first of +C5GREG, +CEREG, +CGREG, +CREG that says registered "
     "(3GPP TS 27.007: 1 home, 5 roaming, 0/2/3/4 not registered).",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         return m.up && Known(m.registration, v);
     }},
    {"vesmarin_sim_state", "gauge", "The SIM's state as +CPIN? gives it, as a label; always 1.",
     [](const ExportedModem& m, ExporterClock::time_point, std::string* l, std::string* v) {
         if (!m.up || m.sim.empty()) return false;
         *l += ",state=\"" + LabelValue(m.sim) + "\"";
         *v = "1";
         return true;
     }},
    {"vesmarin_unlock_attempts_left", "gauge", "Attempts left to enter the unlock code.",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         return Known(m.attemptsLeft, v);
     }},
    {"vesmarin_last_good_reading_age_seconds", "gauge", "Seconds since the last reading that answered.",
     [](const ExportedModem& m, ExporterClock::time_point now, std::string*, std::string* v) {
         if (!m.lastGood) return false;
         *v = Number(Seconds(now - *m.lastGood));
         return true;
     }},
    {"vesmarin_info_age_seconds", "gauge", "Seconds since the information run behind the labels.",
     [](const ExportedModem& m, ExporterClock::time_point now, std::string*, std::string* v) {
         *v = Number(Seconds(now - m.infoAt));
         return true;
     }},
    {"vesmarin_readings_failed_total", "counter", "Readings that got no answer or lost the port.",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         *v = std::to_string(m.readingsFailed);
         return true;
     }},
    {"vesmarin_ports_busy_total", "counter", "Readings skipped because another program held the port.",
     [](const ExportedModem& m, ExporterClock::time_point, std::string*, std::string* v) {
         *v = std::to_string(m.portsBusy);
         return true;
     }},
};

const ExporterFamily kExporterFamilies[] = {
    {"vesmarin_modems_found", "gauge", "Modems found by the last rescan, one per device whatever its identity.",
     [](const ExporterSnapshot& s) { return One(std::to_string(s.modemsFound)); }},
    {"vesmarin_identity_collisions", "gauge",
     "Modems found whose IMEI another modem found also gives; each is named imei:<IMEI>@<USB or device path>.",
     [](const ExporterSnapshot& s) { return One(std::to_string(s.sharedImeis)); }},
    {"vesmarin_round_duration_seconds", "gauge", "How long the last reading round of all modems took.",
     [](const ExporterSnapshot& s) { return One(Number(s.roundSeconds)); }},
    {kUsbDeviceInfoName, "gauge", kUsbDeviceInfoHelp,
     [](const ExporterSnapshot& s) { return UsbDeviceInfoSamples(s.usbDevices); }},
    {"vesmarin_reading_start_failures_total", "counter",
     "Reading processes the exporter could not start (out of descriptors or processes); no modem's failure.",
     [](const ExporterSnapshot& s) { return One(std::to_string(s.readingStartFailures)); }},
    {"vesmarin_rounds_total", "counter", "Reading rounds since the start.",
     [](const ExporterSnapshot& s) { return One(std::to_string(s.rounds)); }},
    {"vesmarin_build_info", "gauge", "The exporter's version; always 1.",
     [](const ExporterSnapshot& s) {
         return std::vector<MetricSample>{{"version=\"" + LabelValue(s.version) + "\"", "1"}};
     }},
};

}  // namespace

std::string MetricsText(const ExporterSnapshot& snapshot) {
    std::string out;
    for (const auto& family : kModemFamilies) {
        std::vector<MetricSample> samples;
        for (const auto& modem : snapshot.modems) {
            const std::string identity = "identity=\"" + LabelValue(modem.identity.id) + "\"";
            if (family.samples != nullptr) {
                std::vector<MetricSample> several;
                family.samples(modem, &several);
                for (MetricSample& sample : several) samples.push_back({identity + sample.labels, std::move(sample.value)});
                continue;
            }
            MetricSample sample{identity, ""};
            if (family.sample(modem, snapshot.now, &sample.labels, &sample.value)) samples.push_back(std::move(sample));
        }
        out += FamilyText(family.name, family.type, family.help, samples);
    }
    for (const auto& family : kExporterFamilies) out += FamilyText(family.name, family.type, family.help, family.samples(snapshot));
    return out;
}
