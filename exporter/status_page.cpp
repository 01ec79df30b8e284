#include "exporter/status_page.h"

#include <cmath>
#include <cstdio>

#include "cli/console/visible_text.h"
#include "cli/report/metric_text.h"
#include "common/cp1251.h"
#include "exporter/main_figure.h"
#include "radio/metric_table.h"

namespace {

constexpr const char* kNone = "\xe2\x80\x94";   // an em dash, UTF-8

std::string Html(const std::string& utf8) {
    std::string escaped;
    for (char c : VisibleUtf8(utf8)) {
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

std::string TextOrNone(const std::string& utf8) { return utf8.empty() ? kNone : Html(utf8); }

std::string Known(const KnownInt& value) { return value.known ? std::to_string(value.value) : kNone; }

std::string WithUnit(const Metric& metric, const char* unit) {
    return metric.known ? MetricNumber(metric.value) + " " + unit : kNone;
}

// "4 s", "3 min", "2 h": as the script writes it (status.js, since()).
std::string Since(double seconds) {
    const long whole = static_cast<long>(std::floor(seconds));
    if (whole < 60) return std::to_string(whole) + " s";
    if (whole < 3600) return std::to_string(whole / 60) + " min";
    return std::to_string(whole / 3600) + " h";
}

std::string Age(const ExportedModem& modem, ExporterClock::time_point now) {
    if (!modem.lastGood) return modem.up ? "" : "no answer yet";
    const std::string since = Since(std::chrono::duration<double>(now - *modem.lastGood).count());
    return modem.up ? "read " + since + " ago" : "no answer; last one " + since + " ago";
}

// The sparkline's path over a 240 x 40 box, the oldest reading at the left; a reading without
// the figure breaks the line. As status.js, sparkline().
std::string SparkPath(const ExportedModem& modem, const MainFigure& figure) {
    if (!figure.chosen || !modem.history || modem.history->empty()) return "";
    const MetricRange span = InfoOf(figure.kind).span;
    const SignalHistory& points = *modem.history;
    const double step = points.size() > 1 ? 240.0 / static_cast<double>(points.size() - 1) : 0;
    std::string path;
    bool drawing = false;
    for (size_t i = 0; i < points.size(); ++i) {
        const float value = PointFigure(points[i], figure.key);
        if (std::isnan(value)) {
            drawing = false;
            continue;
        }
        const double y = std::fmin(40, std::fmax(0, 40 * (span.high - value) / (span.high - span.low)));
        char part[48];
        // "h0" after each start: a reading alone between gaps still shows, as a dot.
        std::snprintf(part, sizeof part, drawing ? "L%.1f,%.1f" : "M%.1f,%.1fh0", step * static_cast<double>(i), y);
        path += part;
        drawing = true;
    }
    return path;
}

std::string Number(double value) { return MetricNumber(value); }

// "n78 · PCI 500 · RSRP -90 dBm": the EN-DC NR leg beside the LTE anchor the card's band and
// PCI give; none on LTE alone or standalone NR, where those are the serving cell's.
std::string NrLegText(const RadioFacts& radio) {
    if (radio.tech != RadioTech::LteNr) return kNone;
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : " \xc2\xb7 ") + part; };
    if (radio.nr.band.known) add("n" + std::to_string(radio.nr.band.value));
    if (radio.nr.pci.known) add("PCI " + std::to_string(radio.nr.pci.value));
    const Metric& rsrp = radio.nr.metrics.Get(MetricKind::Rsrp);
    if (rsrp.known) add("RSRP " + MetricNumber(rsrp.value) + " dBm");
    return text.empty() ? kNone : text;
}

// "3: B3, B7, n78", the primary first; none where the modem gives no carrier list.
std::string CarriersText(const RadioFacts& radio) {
    if (!radio.carriersKnown) return kNone;
    std::string text = std::to_string(radio.carriers.size());
    for (size_t i = 0; i < radio.carriers.size(); ++i) {
        const Carrier& carrier = radio.carriers[i];
        text += (i == 0 ? ": " : ", ") + std::string(carrier.tech == RadioTech::Nr5g ? "n" : "B") +
                (carrier.band.known ? std::to_string(carrier.band.value) : "?");
    }
    return text;
}

// Why a modem that does not answer stopped: the first line of its last failure.
std::string WhyText(const ExportedModem& modem) {
    if (modem.up || modem.failure.empty()) return "";
    return Html(VisibleUtf8(modem.failure.substr(0, modem.failure.find('\n'))));
}

// One card; an empty modem gives the template the script fills.
std::string Card(const ExportedModem& modem, ExporterClock::time_point now) {
    const MainFigure figure = MainFigureOf(modem);
    const MetricInfo& info = InfoOf(figure.kind);
    const bool up = modem.up;
    const char* gradeKey = figure.known ? GradeEnum(figure.grade) : nullptr;
    const char* gradeWord = figure.known ? GradeWord(figure.grade) : nullptr;
    std::string card = "<article class=\"card" + std::string(up ? "" : " down") + "\" data-id=\"" +
                       Html(modem.identity.id) + "\">\n";
    card += "<h2 data-f=\"model\">" + TextOrNone(modem.model) + "</h2>\n";
    card += "<p class=\"id\" data-f=\"id\">" + TextOrNone(modem.identity.id) + "</p>\n";
    card += "<p class=\"state\" data-f=\"state\">" + std::string(up ? "answers" : "not answering") + "</p>\n";
    card += "<p class=\"why\" data-f=\"why\">" + WhyText(modem) + "</p>\n";
    card += "<dl>\n<dt>Port</dt><dd data-f=\"port\">" + TextOrNone(modem.port) + "</dd>\n";
    card += "<dt>USB path</dt><dd data-f=\"usb\">" + TextOrNone(modem.identity.usbPath) + "</dd>\n";
    card += "<dt>Technology</dt><dd data-f=\"tech\">" + TextOrNone(TechnologyOf(modem)) + "</dd>\n";
    card += "<dt>Operator</dt><dd data-f=\"operator\">" + TextOrNone(modem.operatorName) + "</dd>\n";
    card += "<dt>Band</dt><dd data-f=\"band\">" + (up ? Known(modem.radio.band) : kNone) + "</dd>\n";
    card += "<dt>PCI</dt><dd data-f=\"pci\">" + (up ? Known(modem.radio.pci) : kNone) + "</dd>\n";
    card += "<dt>NR leg</dt><dd data-f=\"nr\">" + (up ? NrLegText(modem.radio) : kNone) + "</dd>\n";
    card += "<dt>Carriers</dt><dd data-f=\"carriers\">" + (up ? CarriersText(modem.radio) : kNone) + "</dd>\n</dl>\n";
    card += "<p class=\"figure\"><span data-f=\"label\">" + std::string(info.label) + "</span> <b data-f=\"value\">" +
            (figure.known ? Number(figure.value) + " " + info.unit : kNone) + "</b> <span data-f=\"grade\" class=\"grade" +
            (gradeKey != nullptr ? std::string(" ") + gradeKey : "") + "\">" +
            (gradeWord != nullptr ? Cp1251ToUtf8(gradeWord) : "") + "</span></p>\n";
    // <meter>: its regions colour the bar, poor below `low`, fair up to `high`.
    card += "<meter data-f=\"bar\" min=\"" + Number(info.span.low) + "\" max=\"" + Number(info.span.high) +
            "\" low=\"" + Number(info.grades.fair) + "\" high=\"" + Number(info.grades.good) + "\" optimum=\"" +
            Number(info.span.high) + "\" value=\"" + (figure.known ? Number(figure.value) : Number(info.span.low)) +
            "\"></meter>\n";
    card += "<p class=\"quality\">RSRQ <span data-f=\"rsrq\">" +
            (up ? WithUnit(modem.radio.Get(MetricKind::Rsrq), "dB") : kNone) + "</span> \xc2\xb7 SINR <span data-f=\"sinr\">" +
            (up ? WithUnit(modem.radio.Get(MetricKind::Sinr), "dB") : kNone) + "</span></p>\n";
    card += "<svg class=\"spark\" viewBox=\"0 0 240 40\" preserveAspectRatio=\"none\" role=\"img\" "
            "aria-label=\"signal history\"><path data-f=\"spark\" d=\"" + SparkPath(modem, figure) + "\"/></svg>\n";
    card += "<p class=\"age\" data-f=\"age\">" + Age(modem, now) + "</p>\n</article>\n";
    return card;
}

}  // namespace

std::string StatusPageHtml(const ExporterSnapshot& snapshot, int intervalSeconds) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Vesmarin modems</title>\n<link rel=\"stylesheet\" href=\"/status.css\">\n"
        "<script src=\"/status.js\" defer></script>\n</head>\n<body data-interval=\"" +
        std::to_string(intervalSeconds) + "\">\n<header><h1>Vesmarin exporter " + Html(snapshot.version) +
        "</h1>\n<p><a href=\"/metrics\">Metrics</a> \xc2\xb7 <a href=\"/api/v1/modems\">JSON</a> \xc2\xb7 "
        "<span id=\"updated\">" + std::to_string(snapshot.modems.size()) + " modems</span></p></header>\n"
        "<main id=\"modems\">\n";
    for (const ExportedModem& modem : snapshot.modems) page += Card(modem, snapshot.now);
    page += "</main>\n<p id=\"none\"" + std::string(snapshot.modems.empty() ? "" : " hidden") +
            ">No modem found yet.</p>\n<template id=\"card\">\n" + Card(ExportedModem{}, snapshot.now) +
            "</template>\n</body></html>\n";
    return page;
}
