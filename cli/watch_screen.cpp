#include "cli/watch_screen.h"

#include <cstdio>

#include "cli/report/visible_text.h"
#include "cli/watch_lines.h"
#include "common/cp1251.h"

namespace {

constexpr int kBarCells = 40;

std::string Bar(const SignalReading& reading) {
    const bool level = reading.answered && reading.level.known;
    const int filled = level ? static_cast<int>(MeterFraction(reading.level.dbm) * kBarCells + 0.5) : 0;
    std::string bar;
    for (int i = 0; i < kBarCells; ++i) bar += i < filled ? u8"█" : u8"░";
    return bar;
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
    std::vector<std::string> lines;
    lines.push_back("vesmarin-cli watch " + VisibleUtf8(portUtf8) + ", every " + Seconds(intervalMs) +
                    "; Ctrl-C ends");
    lines.push_back("");
    lines.push_back("  signal       " + (readings == 0 ? std::string("waiting for the first reading")
                                                   : VisibleUtf8(ReadingText(meter.Last()))));
    lines.push_back("               " + Bar(meter.Last()) + "  -113..-51 dBm");
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
    lines.push_back("  time         " + Elapsed(elapsedMs) + "  (" + std::to_string(readings) +
                    (readings == 1 ? " reading)" : " readings)"));
    return lines;
}
