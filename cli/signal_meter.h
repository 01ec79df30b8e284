// The figures of a `watch` session: how many readings, the levels' minimum, average and
// maximum, the last readings as block characters, and the summary line at its end.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "cli/watch_reading.h"

constexpr size_t kMeterHistoryLength = 60;

// The levels a +CSQ value of 0 to 31 stands for; the bar and the history span them, and a
// level beyond (the 100-191 extension reaches -116 and -25) shows as the nearest end.
constexpr int kMeterLowestDbm = -113;
constexpr int kMeterHighestDbm = -51;

class SignalMeter {
public:
    void Add(const SignalReading& reading);

    uint64_t Readings() const { return readings_; }
    uint64_t Levels() const { return levels_; }   // readings with a level in dBm
    int MinDbm() const { return min_; }
    int MaxDbm() const { return max_; }
    double AverageDbm() const { return levels_ == 0 ? 0.0 : static_cast<double>(sum_) / levels_; }
    const SignalReading& Last() const { return last_; }
    // The last mode read, kept between the readings that ask it (Windows-1251).
    const std::string& Mode() const { return mode_; }

    // The last readings, oldest left, one block character each by level; '·' for a reading
    // without a level. At most kMeterHistoryLength characters (UTF-8).
    std::string History() const;
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
    std::string mode_;
};

// 0.0 at the lowest level of the meter, 1.0 at the highest, clamped.
double MeterFraction(int dbm);
