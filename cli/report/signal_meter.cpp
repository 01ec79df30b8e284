#include "cli/report/signal_meter.h"

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "common/cp1251.h"

namespace {

// Literals of the screen are u8: the execution character set is Windows-1251, which has no
// block characters.
// The levels a +CSQ value can stand for, 0 to 31: -113 to -51 dBm.
constexpr int kLowestDbm = -113;
constexpr int kHighestDbm = -51;
constexpr int kBarCells = 40;
const char* const kLevelBlocks[] = {u8"▁", u8"▂", u8"▃", u8"▄", u8"▅", u8"▆", u8"▇", u8"█"};
const char* const kNoLevelMark = u8"·";

// 0.0 at the lowest level a modem reports, 1.0 at the highest.
double LevelFraction(int dbm) {
    if (dbm <= kLowestDbm) return 0.0;
    if (dbm >= kHighestDbm) return 1.0;
    return static_cast<double>(dbm - kLowestDbm) / (kHighestDbm - kLowestDbm);
}

std::string Bar(const SignalReading& reading) {
    const int filled = reading.hasDbm ? static_cast<int>(LevelFraction(reading.dbm) * kBarCells + 0.5) : 0;
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

std::string ShownText(const SignalReading& reading) {
    return reading.answered ? Cp1251ToUtf8(reading.text) : reading.gapText;
}

}  // namespace

void ReadSignalRow(const std::string& rowText, SignalReading* reading) {
    reading->text = rowText;
    reading->answered = !rowText.empty();
    reading->hasDbm = false;
    if (!reading->answered) return;
    int dbm = 0;
    char rest[8] = {};
    if (std::sscanf(rowText.c_str(), "%d dBm%1s", &dbm, rest) >= 1 &&
        rowText.find(" dBm") != std::string::npos) {
        reading->hasDbm = true;
        reading->dbm = dbm;
        reading->csq = (dbm - kLowestDbm) / 2;
    } else {
        reading->csq = kSignalUnknownCsq;
    }
}

std::string IsoUtcTime(int64_t unixMs) {
    const std::time_t seconds = static_cast<std::time_t>(unixMs / 1000);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &seconds);
#else
    gmtime_r(&seconds, &utc);
#endif
    char text[96];   // room for any int the fields could hold, though a date needs 24
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(unixMs % 1000));
    return text;
}

std::string ReadingAsJson(const SignalReading& reading) {
    nlohmann::ordered_json line;
    line["time"] = reading.timeUtc;
    line["csq"] = reading.answered ? nlohmann::ordered_json(reading.csq) : nlohmann::ordered_json(nullptr);
    line["dbm"] = reading.hasDbm ? nlohmann::ordered_json(reading.dbm) : nlohmann::ordered_json(nullptr);
    line["text"] = ShownText(reading);
    line["mode"] = reading.modeAsked ? nlohmann::ordered_json(Cp1251ToUtf8(reading.mode))
                                     : nlohmann::ordered_json(nullptr);
    return line.dump();
}

std::string ReadingAsTabLine(const SignalReading& reading) {
    return reading.timeUtc + "\t" + (reading.answered ? std::to_string(reading.csq) : "") + "\t" +
           (reading.hasDbm ? std::to_string(reading.dbm) : "") + "\t" + ShownText(reading);
}

void SignalMeter::Add(const SignalReading& reading) {
    ++readings_;
    last_ = reading;
    if (reading.modeAsked) mode_ = reading.mode;
    // Only the levels a modem can report count: an odd value outside them would distort the
    // figures of the session, though its text is still shown as the row shows it.
    const bool level = reading.hasDbm && reading.dbm >= kLowestDbm && reading.dbm <= kHighestDbm;
    if (level) {
        if (levels_ == 0 || reading.dbm < min_) min_ = reading.dbm;
        if (levels_ == 0 || reading.dbm > max_) max_ = reading.dbm;
        sum_ += reading.dbm;
        ++levels_;
    }
    history_.push_back(level ? reading.dbm : kNoLevel);
    if (history_.size() > kMeterHistoryLength) history_.pop_front();
}

std::string SignalMeter::History() const {
    std::string line;
    for (int dbm : history_) {
        if (dbm == kNoLevel) {
            line += kNoLevelMark;
        } else {
            const int step = static_cast<int>(LevelFraction(dbm) * 7 + 0.5);
            line += kLevelBlocks[step];
        }
    }
    return line;
}

std::string SignalMeter::Summary() const {
    std::string text = std::to_string(readings_) + (readings_ == 1 ? " reading" : " readings");
    if (levels_ == 0) return text + ", no signal level";
    char figures[96];
    std::snprintf(figures, sizeof figures, ", min %d dBm, avg %.1f dBm, max %d dBm", min_,
                  AverageDbm(), max_);
    return text + figures;
}

std::vector<std::string> SignalMeter::Screen(const std::string& portUtf8, uint32_t intervalMs,
                                             int64_t elapsedMs) const {
    std::vector<std::string> lines;
    lines.push_back("vesmarin-cli watch " + portUtf8 + ", every " + Seconds(intervalMs) +
                    "; Ctrl-C ends");
    lines.push_back("");
    lines.push_back("  signal       " + (readings_ == 0 ? std::string("waiting for the first reading")
                                                    : ShownText(last_)));
    lines.push_back("               " + Bar(last_) + "  -113..-51 dBm");
    lines.push_back("  history      " + History());
    if (levels_ == 0) {
        lines.push_back("  min/avg/max  -");
    } else {
        char figures[96];
        std::snprintf(figures, sizeof figures, "  min/avg/max  %d / %.1f / %d dBm", min_,
                      AverageDbm(), max_);
        lines.push_back(figures);
    }
    lines.push_back("  mode         " + (mode_.empty() ? std::string("-") : Cp1251ToUtf8(mode_)));
    lines.push_back("  time         " + Elapsed(elapsedMs) + "  (" + std::to_string(readings_) +
                    (readings_ == 1 ? " reading)" : " readings)"));
    return lines;
}
