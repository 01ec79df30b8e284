#include "exporter/modems_json.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "exporter/main_figure.h"
#include "fleet/identity_json.h"
#include "radio/metric_table.h"
#include "radio/radio_json.h"

namespace {

using Json = nlohmann::ordered_json;

// Modem texts as the labels show them: control bytes and bytes that are no UTF-8 written out.
Json Text(const std::string& utf8) { return utf8.empty() ? Json(nullptr) : Json(VisibleUtf8(utf8)); }

template <typename T>
Json Maybe(const std::optional<T>& value) { return value ? Json(*value) : Json(nullptr); }

// Seconds to the millisecond, as the exposition writes them.
double Seconds(ExporterClock::duration duration) {
    return std::round(std::chrono::duration<double>(duration).count() * 1000) / 1000;
}

// Whole numbers as integers ("-85", not "-85.0"), as the radio facts write them.
Json Number(double value) {
    const long long whole = static_cast<long long>(value);
    return static_cast<double>(whole) == value ? Json(whole) : Json(value);
}

// Tenths, the finest any figure has: the float's own digits beyond them are no reading's.
Json Figure(float value) { return std::isnan(value) ? Json(nullptr) : Number(std::round(value * 10.0) / 10); }

Json History(const ExportedModem& modem) {
    Json points = Json::array();
    if (!modem.history) return points;
    for (const SignalPoint& point : *modem.history) {
        Json entry;
        entry["time"] = static_cast<double>(point.unixMs) / 1000;
        entry["csq_rssi_dbm"] = Figure(point.csqRssiDbm);
        entry["rssi"] = Figure(point.rssi);
        entry["rsrp"] = Figure(point.rsrp);
        entry["rsrq"] = Figure(point.rsrq);
        entry["sinr"] = Figure(point.sinr);
        points.push_back(std::move(entry));
    }
    return points;
}

// The card's main figure: which one, its value, grade (key and the program's word) and the
// span of its bar and sparkline; its value and grade null when the last reading lacks it.
Json Signal(const ExportedModem& modem) {
    const MainFigure figure = MainFigureOf(modem);
    if (!figure.chosen) return Json(nullptr);
    const MetricInfo& info = InfoOf(figure.kind);
    const char* word = GradeWord(figure.grade);
    Json signal;
    signal["figure"] = figure.key;
    signal["label"] = info.label;
    signal["unit"] = info.unit;
    signal["value"] = figure.known ? Number(figure.value) : Json(nullptr);
    signal["grade"] = GradeEnum(figure.grade) != nullptr ? Json(GradeEnum(figure.grade)) : Json(nullptr);
    signal["grade_word"] = word != nullptr ? Json(Cp1251ToUtf8(word)) : Json(nullptr);
    signal["bar_low"] = Number(info.span.low);
    signal["bar_high"] = Number(info.span.high);
    signal["fair_from"] = Number(info.grades.fair);
    signal["good_from"] = Number(info.grades.good);
    return signal;
}

Json ModemJson(const ExportedModem& modem, ExporterClock::time_point now) {
    Json json;
    json["identity"] = IdentityJson(modem.identity);
    json["model"] = Text(modem.model);
    json["firmware"] = Text(modem.firmware);
    json["port"] = Text(modem.port);
    json["up"] = modem.up;
    json["technology"] = Text(TechnologyOf(modem));
    json["operator"] = Text(modem.operatorName);
    // What a reading said is shown only while the modem answers, as in /metrics.
    const bool up = modem.up;
    json["csq"] = up ? Maybe(modem.csq) : Json(nullptr);
    json["csq_rssi_dbm"] = up ? Maybe(modem.rssiDbm) : Json(nullptr);
    json["registration"] = up ? Maybe(modem.registration) : Json(nullptr);
    json["sim"] = up ? Text(modem.sim) : Json(nullptr);
    json["attempts_left"] = Maybe(modem.attemptsLeft);
    Json radio = Json::object();
    if (up) AddRadioJson(modem.radio, RadioJsonForm::Cell, MetricPrecision::AsDecoded, &radio);
    json["radio"] = up ? radio : Json(nullptr);
    json["signal"] = Signal(modem);
    json["last_good_reading_age_seconds"] = modem.lastGood ? Json(Seconds(now - *modem.lastGood)) : Json(nullptr);
    json["info_age_seconds"] = Seconds(now - modem.infoAt);
    json["readings_failed"] = modem.readingsFailed;
    json["ports_busy"] = modem.portsBusy;
    json["failure"] = Text(modem.failure);
    json["history"] = History(modem);
    return json;
}

}  // namespace

std::string ModemsJson(const ExporterSnapshot& snapshot) {
    Json modems = Json::array();
    for (const ExportedModem& modem : snapshot.modems) modems.push_back(ModemJson(modem, snapshot.now));
    // Replace, never throw: a text that slipped past VisibleUtf8 must not end the server.
    return modems.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}
