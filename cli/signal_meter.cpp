#include "cli/signal_meter.h"

#include <cstdio>

namespace {

// Literals of the screen are u8: the execution character set is Windows-1251, which has no
// block characters.
const char* const kLevelBlocks[] = {u8"▁", u8"▂", u8"▃", u8"▄", u8"▅", u8"▆", u8"▇", u8"█"};
const char* const kNoLevelMark = u8"·";

}  // namespace

double MeterFraction(int dbm) {
    if (dbm <= kMeterLowestDbm) return 0.0;
    if (dbm >= kMeterHighestDbm) return 1.0;
    return static_cast<double>(dbm - kMeterLowestDbm) / (kMeterHighestDbm - kMeterLowestDbm);
}

void SignalMeter::Add(const SignalReading& reading) {
    ++readings_;
    last_ = reading;
    if (reading.modeAsked) mode_ = reading.mode;
    const bool level = reading.answered && reading.level.known;
    if (level) {
        const int dbm = reading.level.dbm;
        if (levels_ == 0 || dbm < min_) min_ = dbm;
        if (levels_ == 0 || dbm > max_) max_ = dbm;
        sum_ += dbm;
        ++levels_;
    }
    history_.push_back(level ? reading.level.dbm : kNoLevel);
    if (history_.size() > kMeterHistoryLength) history_.pop_front();
}

std::string SignalMeter::History() const {
    std::string line;
    for (int dbm : history_) {
        if (dbm == kNoLevel) {
            line += kNoLevelMark;
        } else {
            const int step = static_cast<int>(MeterFraction(dbm) * 7 + 0.5);
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
