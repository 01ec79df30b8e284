// One radio metric over a `watch` session (RSRP, RSRQ, SINR ...): its minimum, average and
// maximum and its last values, each metric on its own so that no two scales are ever mixed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "radio/radio_facts.h"

constexpr size_t kTrackHistoryLength = 60;

class MetricTrack {
public:
    // One reading's value of the metric; an unknown one is a gap in the history.
    void Add(const Metric& metric);

    uint64_t Count() const { return count_; }   // readings with a value
    double Min() const { return min_; }
    double Max() const { return max_; }
    double Average() const { return count_ == 0 ? 0.0 : sum_ / static_cast<double>(count_); }

    // The last values, oldest left, one block character each by where the value lies between
    // `low` and `high` (clamped); '·' for a gap. At most kTrackHistoryLength characters (UTF-8).
    std::string History(double low, double high) const;

private:
    struct Entry {
        bool known;
        double value;
    };
    std::deque<Entry> history_;
    uint64_t count_ = 0;
    double sum_ = 0;
    double min_ = 0;
    double max_ = 0;
};

// 0.0 at `low`, 1.0 at `high`, clamped.
double ScaleFraction(double value, double low, double high);
