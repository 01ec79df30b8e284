// What `watch` makes of its readings: one reading's fields, the session's history and
// figures, and the texts shown for them (the live screen, JSON and tab-separated lines).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

constexpr int kSignalUnknownCsq = 99;
constexpr size_t kMeterHistoryLength = 60;

struct SignalReading {
    std::string timeUtc;    // ISO 8601 with milliseconds
    bool answered = false;  // the modem sent a signal value
    std::string gapText;    // why not, when !answered ("no reply")
    int csq = 0;            // as the modem gave it
    bool hasDbm = false;
    int dbm = 0;
    std::string text;       // the signal row's text (Windows-1251)
    bool modeAsked = false;
    std::string mode;       // the system mode row's text (Windows-1251)
};

// Fills csq and dBm from the signal row's text, which the information run's decoder wrote
// ("-77 dBm (Хорошо)", or the unknown level's word for 99); an empty row is no value.
void ReadSignalRow(const std::string& rowText, SignalReading* reading);

// "2026-12-07T16:20:01.123Z" for milliseconds since 1970 (UTC).
std::string IsoUtcTime(int64_t unixMs);

// One reading as a JSON object on one line, and as "time TAB csq TAB dBm TAB text" (empty
// csq and dBm when the modem gave none). Both UTF-8, no line end.
std::string ReadingAsJson(const SignalReading& reading);
std::string ReadingAsTabLine(const SignalReading& reading);

class SignalMeter {
public:
    void Add(const SignalReading& reading);

    uint64_t Readings() const { return readings_; }
    uint64_t Levels() const { return levels_; }   // readings with a level in dBm
    int MinDbm() const { return min_; }
    int MaxDbm() const { return max_; }
    double AverageDbm() const { return levels_ == 0 ? 0.0 : static_cast<double>(sum_) / levels_; }

    // The last readings, oldest left, one block character each by level; '·' for a reading
    // without a level. At most kMeterHistoryLength characters (UTF-8).
    std::string History() const;
    // The live screen's lines (UTF-8, without line ends), all of them every time, so that a
    // redraw in place covers the previous one.
    std::vector<std::string> Screen(const std::string& portUtf8, uint32_t intervalMs,
                                    int64_t elapsedMs) const;
    // "12 readings, min -89 dBm, avg -80.3 dBm, max -71 dBm" (UTF-8).
    std::string Summary() const;

private:
    static constexpr int kNoLevel = -100000;
    std::deque<int> history_;   // dBm, or kNoLevel
    uint64_t readings_ = 0;
    uint64_t levels_ = 0;
    int64_t sum_ = 0;
    int min_ = 0;
    int max_ = 0;
    SignalReading last_;
    std::string mode_;   // the last mode read, kept between the readings that ask it
};
