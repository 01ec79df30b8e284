#include "cli/watch/all_lines.h"

#include <nlohmann/json.hpp>

#include "cli/report/metric_text.h"
#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "info/signal_text.h"
#include "radio/metric_table.h"
#include "radio/quality_grade.h"
#include "radio/radio_json.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kBarCells = 10;

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The id, shortened where it is long: an IMEI by its last six digits.
std::string ShortIdentity(const ModemIdentity& identity) {
    if (!identity.imei.empty()) return u8"imei:…" + identity.imei.substr(identity.imei.size() - 6);
    if (identity.id.compare(0, 7, "device:") == 0) return "device:" + BaseName(identity.id.substr(7));
    return identity.id;
}

// "-77 dBm (Хорошо)" or the unknown level's word, UTF-8.
std::string LevelText(const ExportedModem& modem) {
    SignalLevel level{modem.rssiDbm.has_value(), modem.csq.value_or(99), modem.rssiDbm.value_or(0)};
    char text[kSignalTextSize];
    SignalLevelText(level, text, sizeof text);
    return Cp1251ToUtf8(text);
}

std::string Bar(double fraction) {
    const int filled = fraction <= 0 ? 0 : fraction >= 1 ? kBarCells : static_cast<int>(fraction * kBarCells + 0.5);
    std::string bar;
    for (int i = 0; i < kBarCells; ++i) bar += i < filled ? u8"█" : u8"░";
    return bar;
}

// The signal column: RSRP with its grade where the modem gives it (its bar over the +CESQ
// scale) and on EN-DC the NR leg's RSRP after it, else the +CSQ level (its bar over the
// levels of 0 to 31).
std::string SignalColumn(const ExportedModem& modem) {
    const Metric& rsrp = modem.radio.Get(MetricKind::Rsrp);
    if (rsrp.known) {
        const MetricInfo& info = InfoOf(MetricKind::Rsrp);
        const char* word = GradeWord(GradeOfMetric(info.kind, rsrp));
        const Metric& nr = modem.radio.nr.metrics.Get(MetricKind::Rsrp);
        const bool leg = modem.radio.tech == RadioTech::LteNr && nr.known;
        return Bar((rsrp.value - info.span.low) / (info.span.high - info.span.low)) + " " + info.label + " " +
               MetricText(rsrp, info.unit) + (word != nullptr ? " (" + Cp1251ToUtf8(word) + ")" : "") +
               (leg ? ", NR " + MetricText(nr, info.unit) : "");
    }
    const double csqSpan = kCsqHighestDbm - kCsqLowestDbm;
    return Bar(modem.rssiDbm ? (*modem.rssiDbm - kCsqLowestDbm) / csqSpan : 0.0) + " " + LevelText(modem);
}

long AgeSeconds(const ExportedModem& modem, ExporterClock::time_point now) {
    if (!modem.lastGood) return -1;
    return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(now - *modem.lastGood).count());
}

std::string Padded(const std::string& text, size_t width) {
    size_t characters = 0;
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80 ? 1 : 0;
    return characters >= width ? text + " " : text + std::string(width - characters + 1, ' ');
}

// At most `width` characters of `text` (UTF-8), whole characters only.
std::string Cut(const std::string& text, size_t width) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == width) return text.substr(0, i);
    }
    return text;
}

}  // namespace

std::string WatchAllScreenLine(const ExportedModem& modem, ExporterClock::time_point now, size_t width) {
    // Narrow fields first, the grade last: a narrow terminal cuts only the grade's end.
    const std::string entry = VisibleUtf8(modem.model) + " (" + BaseName(modem.port) + ")";
    const long age = AgeSeconds(modem, now);
    std::string line = Padded(entry, 18) + Padded(ShortIdentity(modem.identity), 15) +
                       Padded(VisibleUtf8(TechnologyOf(modem)), 6) + Padded(age >= 0 ? std::to_string(age) + " s" : "-", 5);
    if (!modem.present) {
        line += "gone";
    } else if (!modem.up) {
        line += "not answering";
    } else {
        line += SignalColumn(modem);
    }
    return Cut(line, width);
}

std::string WatchAllJson(const ExportedModem& modem, ExporterClock::time_point now, const std::string& timeUtc) {
    Json line;
    line["time"] = timeUtc;
    line["identity"] = modem.identity.id;
    line["port"] = modem.port;
    line["model"] = modem.model.empty() ? Json(nullptr) : Json(modem.model);
    line["up"] = modem.up;
    line["csq"] = modem.up && modem.csq ? Json(*modem.csq) : Json(nullptr);
    line["dbm"] = modem.up && modem.rssiDbm ? Json(*modem.rssiDbm) : Json(nullptr);
    line["text"] = modem.up ? Json(LevelText(modem)) : Json(nullptr);
    line["technology"] = TechnologyOf(modem).empty() ? Json(nullptr) : Json(TechnologyOf(modem));
    AddRadioJson(modem.up ? modem.radio : RadioFacts{}, RadioJsonForm::Short, MetricPrecision::AsDecoded, &line);
    const long age = AgeSeconds(modem, now);
    line["age"] = age >= 0 ? Json(age) : Json(nullptr);
    return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string WatchAllTabLine(const ExportedModem& modem, const std::string& timeUtc) {
    const bool level = modem.up && modem.rssiDbm;
    return timeUtc + "\t" + modem.identity.id + "\t" + VisibleUtf8(modem.port) + "\t" + (modem.up ? "1" : "0") + "\t" +
           (modem.up && modem.csq ? std::to_string(*modem.csq) : "") + "\t" +
           (level ? std::to_string(*modem.rssiDbm) : "") + "\t" + (modem.up ? LevelText(modem) : "not answering");
}
