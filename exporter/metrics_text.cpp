#include "exporter/metrics_text.h"

#include <cstdio>
#include <functional>

#include "exporter/label_value.h"
#include "exporter/usb_device_metric.h"
#include "cli/report/metric_text.h"
#include "cli/console/visible_text.h"

namespace {

double Seconds(ExporterClock::duration duration) { return std::chrono::duration<double>(duration).count(); }

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string IdentityLabel(const ExportedModem& modem) {
    return "identity=\"" + LabelValue(modem.identity.id) + "\"";
}

// One family: its HELP and TYPE, then one sample per modem that has a value.
void Family(std::string* out, const char* name, const char* type, const char* help,
            const std::vector<ExportedModem>& modems,
            const std::function<bool(const ExportedModem&, std::string* labels, std::string* value)>& sample) {
    *out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    for (const auto& modem : modems) {
        std::string labels = IdentityLabel(modem), value;
        if (sample(modem, &labels, &value)) *out += std::string(name) + "{" + labels + "} " + value + "\n";
    }
}

std::string Html(const std::string& text) {
    std::string escaped;
    for (char c : VisibleUtf8(text)) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&#39;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string MetricsText(const ExporterSnapshot& snapshot) {
    const auto& modems = snapshot.modems;
    std::string out;
    Family(&out, "vesmarin_up", "gauge", "Whether the modem answered its last reading (1) or not (0).", modems,
           [](const ExportedModem& m, std::string*, std::string* v) { *v = m.up ? "1" : "0"; return true; });
    Family(&out, "vesmarin_modem_info", "gauge",
           "The modem's facts from its last information run, as labels; always 1.", modems,
           [](const ExportedModem& m, std::string* l, std::string* v) {
               *l += ",imei=\"" + LabelValue(m.identity.imei) + "\",model=\"" + LabelValue(m.model) +
                     "\",firmware=\"" + LabelValue(m.firmware) + "\",usb_path=\"" + LabelValue(m.identity.usbPath) +
                     "\",by_id=\"" + LabelValue(m.identity.byId) + "\",port=\"" + LabelValue(m.port) +
                     "\",technology=\"" + LabelValue(TechnologyOf(m)) + "\",operator=\"" + LabelValue(m.operatorName) +
                     "\"";
               *v = "1";
               return true;
           });
    Family(&out, "vesmarin_signal_rssi_dbm", "gauge", "Received signal strength (+CSQ), in dBm.", modems,
           [](const ExportedModem& m, std::string*, std::string* v) {
               if (!m.up || !m.rssiDbm) return false;
               *v = std::to_string(*m.rssiDbm);
               return true;
           });
    Family(&out, "vesmarin_signal_csq", "gauge", "The 3G signal level as +CSQ gives it (0-31, 99 unknown).", modems,
           [](const ExportedModem& m, std::string*, std::string* v) {
               if (!m.up || !m.csq) return false;
               *v = std::to_string(*m.csq);
               return true;
           });
    // The radio facts, where the modem's radio family (or +CESQ) gives them; a 3G stick has
    // none and keeps to the +CSQ level above.
    const struct {
        const char* name;
        const char* help;
        MetricKind kind;
    } radioGauges[] = {
        {"vesmarin_rssi_dbm", "Received signal strength of the serving cell as the radio family reports it, in dBm.",
         MetricKind::Rssi},
        {"vesmarin_rsrp_dbm", "Reference signal received power (LTE), in dBm.", MetricKind::Rsrp},
        {"vesmarin_rsrq_db", "Reference signal received quality (LTE), in dB.", MetricKind::Rsrq},
        {"vesmarin_sinr_db", "Signal to interference plus noise ratio (LTE), in dB.", MetricKind::Sinr},
    };
    for (const auto& gauge : radioGauges) {
        const MetricKind kind = gauge.kind;
        Family(&out, gauge.name, "gauge", gauge.help, modems, [kind](const ExportedModem& m, std::string*, std::string* v) {
            if (!m.up || !m.radio.Get(kind).known) return false;
            *v = MetricNumber(m.radio.Get(kind).value);
            return true;
        });
    }
    // Band and PCI as labels: they name the serving cell, and a modem that stays put sees few.
    Family(&out, "vesmarin_serving_cell_info", "gauge",
           "The serving cell's band and physical cell id (PCI), as labels; always 1.", modems,
           [](const ExportedModem& m, std::string* l, std::string* v) {
               const KnownInt& band = m.radio.band;
               const KnownInt& pci = m.radio.pci;
               if (!m.up || (!band.known && !pci.known)) return false;
               *l += ",band=\"" + (band.known ? std::to_string(band.value) : "") + "\",pci=\"" +
                     (pci.known ? std::to_string(pci.value) : "") + "\"";
               *v = "1";
               return true;
           });
    Family(&out, "vesmarin_registration_state", "gauge",
           "Network registration (+CREG <stat>, 3GPP TS 27.007: 1 home, 5 roaming, 0/2/3/4 not registered).",
           modems, [](const ExportedModem& m, std::string*, std::string* v) {
               if (!m.up || !m.registration) return false;
               *v = std::to_string(*m.registration);
               return true;
           });
    Family(&out, "vesmarin_sim_state", "gauge", "The SIM's state as +CPIN? gives it, as a label; always 1.", modems,
           [](const ExportedModem& m, std::string* l, std::string* v) {
               if (!m.up || m.sim.empty()) return false;
               *l += ",state=\"" + LabelValue(m.sim) + "\"";
               *v = "1";
               return true;
           });
    Family(&out, "vesmarin_unlock_attempts_left", "gauge", "Attempts left to enter the unlock code.", modems,
           [](const ExportedModem& m, std::string*, std::string* v) {
               if (!m.attemptsLeft) return false;
               *v = std::to_string(*m.attemptsLeft);
               return true;
           });
    const auto now = snapshot.now;
    Family(&out, "vesmarin_last_good_reading_age_seconds", "gauge", "Seconds since the last reading that answered.",
           modems, [now](const ExportedModem& m, std::string*, std::string* v) {
               if (!m.lastGood) return false;
               *v = Number(Seconds(now - *m.lastGood));
               return true;
           });
    Family(&out, "vesmarin_info_age_seconds", "gauge", "Seconds since the information run behind the labels.",
           modems, [now](const ExportedModem& m, std::string*, std::string* v) {
               *v = Number(Seconds(now - m.infoAt));
               return true;
           });
    Family(&out, "vesmarin_readings_failed_total", "counter", "Readings that got no answer or lost the port.", modems,
           [](const ExportedModem& m, std::string*, std::string* v) { *v = std::to_string(m.readingsFailed); return true; });
    Family(&out, "vesmarin_ports_busy_total", "counter",
           "Readings skipped because another program held the port.", modems,
           [](const ExportedModem& m, std::string*, std::string* v) { *v = std::to_string(m.portsBusy); return true; });
    out += "# HELP vesmarin_modems_found Modems found by the last rescan, one per device whatever its identity.\n"
           "# TYPE vesmarin_modems_found gauge\nvesmarin_modems_found " + std::to_string(snapshot.modemsFound) + "\n";
    out += "# HELP vesmarin_identity_collisions Modems found whose IMEI another modem found also gives; each is "
           "named imei:<IMEI>@<USB or device path>.\n# TYPE vesmarin_identity_collisions gauge\n"
           "vesmarin_identity_collisions " + std::to_string(snapshot.sharedImeis) + "\n";
    out += "# HELP vesmarin_round_duration_seconds How long the last reading round of all modems took.\n"
           "# TYPE vesmarin_round_duration_seconds gauge\nvesmarin_round_duration_seconds " +
           Number(snapshot.roundSeconds) + "\n";
    out += UsbDeviceInfoFamily(snapshot.usbDevices);
    out += "# HELP vesmarin_reading_start_failures_total Reading processes the exporter could not start "
           "(out of descriptors or processes); no modem's failure.\n"
           "# TYPE vesmarin_reading_start_failures_total counter\nvesmarin_reading_start_failures_total " +
           std::to_string(snapshot.readingStartFailures) + "\n";
    out += "# HELP vesmarin_rounds_total Reading rounds since the start.\n# TYPE vesmarin_rounds_total counter\n"
           "vesmarin_rounds_total " + std::to_string(snapshot.rounds) + "\n";
    out += "# HELP vesmarin_build_info The exporter's version; always 1.\n# TYPE vesmarin_build_info gauge\n"
           "vesmarin_build_info{version=\"" + LabelValue(snapshot.version) + "\"} 1\n";
    return out;
}

std::string StatusPage(const ExporterSnapshot& snapshot) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Vesmarin exporter</title></head><body>\n"
        "<h1>Vesmarin exporter " + Html(snapshot.version) + "</h1>\n<p><a href=\"/metrics\">Metrics</a></p>\n"
        "<table>\n<tr><th>identity</th><th>model</th><th>port</th><th>up</th></tr>\n";
    for (const auto& modem : snapshot.modems) {
        page += "<tr><td>" + Html(modem.identity.id) + "</td><td>" + Html(modem.model) + "</td><td>" + Html(modem.port) +
                "</td><td>" + (modem.up ? "1" : "0") + "</td></tr>\n";
    }
    return page + "</table>\n</body></html>\n";
}
