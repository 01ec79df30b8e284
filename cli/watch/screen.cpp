#include "cli/watch/screen.h"

#include <cstdio>

#include "cli/report/metric_text.h"
#include "cli/console/visible_text.h"
#include "cli/watch/lines.h"
#include "cli/watch/redraw.h"
#include "common/cp1251.h"
#include "radio/metric_table.h"
#include "radio/quality_grade.h"
#include "radio/radio_json.h"

namespace {

constexpr int kBarCells = 40;

std::string Bar(double fraction) {
    const int filled = static_cast<int>(fraction * kBarCells + 0.5);
    std::string bar;
    for (int i = 0; i < kBarCells; ++i) bar += i < filled ? u8"█" : u8"░";
    return bar;
}

std::string Bar(const SignalReading& reading) {
    const bool level = reading.answered && reading.level.known;
    return Bar(level ? MeterFraction(reading.level.dbm) : 0.0);
}

// `utf8` followed by blanks up to `columns` (one column per character), or `utf8` with a blank
// after it when it is as wide or wider.
std::string Pad(const std::string& utf8, size_t columns) {
    const size_t used = ColumnsOf(utf8);
    return utf8 + std::string(used < columns ? columns - used : 1, ' ');
}

std::string RightAligned(const std::string& text, size_t columns) {
    return std::string(text.size() < columns ? columns - text.size() : 1, ' ') + text;
}

constexpr size_t kLabelColumns = 15;
constexpr size_t kNowColumns = 12;
constexpr size_t kGradeColumns = 19;   // "Удовлетворительно" and two blanks
constexpr size_t kFigureColumns = 8;

// "  RSRQ         -11.5 dB    Хорошо              -12.0   -11.2   -10.5": the last value, its
// grade, and the session's minimum, average and maximum.
std::string MetricRow(const MetricInfo& line, const Metric& now, const MetricTrack& track) {
    std::string row = Pad(std::string("  ") + line.label, kLabelColumns);
    const char* word = now.known ? GradeWord(GradeOfMetric(line.kind, now)) : nullptr;
    row += Pad(now.known ? MetricText(now, line.unit) : "-", kNowColumns);
    row += Pad(word != nullptr ? Cp1251ToUtf8(word) : "", kGradeColumns);
    if (track.Count() == 0) return row + RightAligned("-", kFigureColumns);
    char average[32];
    std::snprintf(average, sizeof average, "%.1f", track.Average());
    return row + RightAligned(MetricNumber(track.Min()), kFigureColumns) + RightAligned(average, kFigureColumns) +
           RightAligned(MetricNumber(track.Max()), kFigureColumns);
}

// "LTE, band 3, PCI 102, 2 carriers", and after a change "(UMTS until 12:31:05 UTC)".
std::string TechnologyText(const SignalMeter& meter) {
    const char* name = TechName(meter.Tech());
    std::string text = name != nullptr ? name : "-";
    const bool nr = meter.Tech() == RadioTech::Nr5g;
    if (meter.Band().known) text += std::string(", band ") + (nr ? "n" : "") + std::to_string(meter.Band().value);
    if (meter.Pci().known) text += ", PCI " + std::to_string(meter.Pci().value);
    if (meter.CarriersKnown()) {
        RadioFacts carriers;
        carriers.carriers = meter.Carriers();
        const int count = ActiveCarrierCount(carriers);
        text += ", " + std::to_string(count) + (count == 1 ? " carrier" : " carriers");
    }
    const SignalMeter::TechChange& change = meter.LastTechChange();
    if (change.happened) {
        const char* before = TechName(change.from);
        text += std::string("  (") + (before != nullptr ? before : "?") + " until " +
                IsoUtcTime(change.unixMs).substr(11, 8) + " UTC)";
    }
    return text;
}

// The EN-DC NR leg on one line: "RSRP -84 dBm, RSRQ -11 dB, SINR 18 dB, n78, PCI 500".
std::string NrLegText(const NrLeg& leg) {
    std::string text;
    for (MetricKind kind : {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Sinr}) {
        const Metric& metric = leg.metrics.Get(kind);
        const MetricInfo& info = InfoOf(kind);
        text += std::string(text.empty() ? "" : ", ") + info.label + " " + (metric.known ? MetricText(metric, info.unit) : "-");
    }
    if (leg.band.known) text += ", n" + std::to_string(leg.band.value);
    if (leg.pci.known) text += ", PCI " + std::to_string(leg.pci.value);
    return text;
}

// The lines between the header and the time on a modem of a radio family.
void RadioLines(const SignalMeter& meter, std::vector<std::string>* lines) {
    // The RSRP bar and history span the +CESQ scale.
    const MetricTrack& rsrp = meter.Track(MetricKind::Rsrp);
    const Metric& last = meter.Last().radio.Get(MetricKind::Rsrp);
    const MetricRange span = InfoOf(MetricKind::Rsrp).span;
    lines->push_back("  RSRP         " + Bar(last.known ? ScaleFraction(last.value, span.low, span.high) : 0.0) + "  " +
                     MetricNumber(span.low) + ".." + MetricNumber(span.high) + " dBm");
    lines->push_back("  history      " + rsrp.History(span.low, span.high));
    lines->push_back(Pad("", kLabelColumns) + Pad("now", kNowColumns) + Pad("grade", kGradeColumns) +
                     RightAligned("min", kFigureColumns) + RightAligned("avg", kFigureColumns) +
                     RightAligned("max", kFigureColumns));
    for (const MetricInfo& line : kMetricTable) {
        const MetricTrack& track = meter.Track(line.kind);
        if (line.headline || track.Count() != 0)
            lines->push_back(MetricRow(line, meter.Last().radio.Get(line.kind), track));
    }
    const RadioFacts& lastRadio = meter.Last().radio;
    if (lastRadio.tech == RadioTech::LteNr) lines->push_back("  NR leg       " + NrLegText(lastRadio.nr));
    lines->push_back("  signal       " + VisibleUtf8(ReadingText(meter.Last())));
    lines->push_back("  technology   " + TechnologyText(meter));
}

std::string Elapsed(int64_t ms) {
    const int64_t seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string Seconds(uint32_t ms) {
    char text[32];
    if (ms % 1000 == 0) {
        std::snprintf(text, sizeof text, "%u s", ms / 1000);
    } else {
        std::snprintf(text, sizeof text, "%.3g s", ms / 1000.0);
    }
    return text;
}

}  // namespace

std::vector<std::string> WatchScreenLines(const SignalMeter& meter, const std::string& portUtf8,
                                          uint32_t intervalMs, int64_t elapsedMs) {
    const uint64_t readings = meter.Readings();
    const std::string timeLine = "  time         " + Elapsed(elapsedMs) + "  (" + std::to_string(readings) +
                                 (readings == 1 ? " reading)" : " readings)");
    std::vector<std::string> lines;
    lines.push_back("vesmarin-cli watch " + VisibleUtf8(portUtf8) + ", every " + Seconds(intervalMs) +
                    "; Ctrl-C ends");
    lines.push_back("");
    if (meter.HasFamily()) {
        RadioLines(meter, &lines);
        lines.push_back(timeLine);
        return lines;
    }
    lines.push_back("  signal       " + (readings == 0 ? std::string("waiting for the first reading")
                                                   : VisibleUtf8(ReadingText(meter.Last()))));
    lines.push_back("               " + Bar(meter.Last()) + "  " + std::to_string(kMeterLowestDbm) + ".." +
                    std::to_string(kMeterHighestDbm) + " dBm");
    lines.push_back("  history      " + meter.History());
    if (meter.Levels() == 0) {
        lines.push_back("  min/avg/max  -");
    } else {
        char figures[96];
        std::snprintf(figures, sizeof figures, "  min/avg/max  %d / %.1f / %d dBm", meter.MinDbm(),
                      meter.AverageDbm(), meter.MaxDbm());
        lines.push_back(figures);
    }
    lines.push_back("  mode         " +
                    (meter.Mode().empty() ? std::string("-") : VisibleUtf8(Cp1251ToUtf8(meter.Mode()))));
    lines.push_back(timeLine);
    return lines;
}
