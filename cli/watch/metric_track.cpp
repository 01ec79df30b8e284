#include "cli/watch/metric_track.h"

namespace {

// Literals of the screen are u8: the execution character set is Windows-1251, which has no
// block characters.
const char* const kLevelBlocks[] = {u8"▁", u8"▂", u8"▃", u8"▄", u8"▅", u8"▆", u8"▇", u8"█"};
const char* const kGapMark = u8"·";

}  // namespace

double ScaleFraction(double value, double low, double high) {
    if (value <= low) return 0.0;
    if (value >= high) return 1.0;
    return (value - low) / (high - low);
}

void MetricTrack::Add(const Metric& metric) {
    if (metric.known) {
        if (count_ == 0 || metric.value < min_) min_ = metric.value;
        if (count_ == 0 || metric.value > max_) max_ = metric.value;
        sum_ += metric.value;
        ++count_;
    }
    history_.push_back({metric.known, metric.value});
    if (history_.size() > kTrackHistoryLength) history_.pop_front();
}

std::string MetricTrack::History(double low, double high) const {
    std::string line;
    for (const Entry& entry : history_) {
        line += entry.known ? kLevelBlocks[static_cast<int>(ScaleFraction(entry.value, low, high) * 7 + 0.5)] : kGapMark;
    }
    return line;
}
