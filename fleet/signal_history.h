// The last readings of a modem's main figures, kept in memory for the exporter's JSON and its
// status page. Bounded: a modem read every 15 s keeps its last hour, and 30 modems keep
// 30 x 240 x sizeof(SignalPoint) bytes (225 KiB). A reading appends to a copy, so a snapshot
// shares the points instead of copying them on every scrape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

constexpr size_t kSignalHistoryReadings = 240;

// One answered reading; NaN where the reading gave no value. Floats: the figures are whole
// or tenths of a dB, which a float holds exactly enough, at half a double's room.
struct SignalPoint {
    int64_t unixMs = 0;   // wall-clock time of the reading
    float csqRssiDbm = std::numeric_limits<float>::quiet_NaN();   // +CSQ's level
    float rssi = std::numeric_limits<float>::quiet_NaN();         // the radio family's
    float rsrp = std::numeric_limits<float>::quiet_NaN();
    float rsrq = std::numeric_limits<float>::quiet_NaN();
    float sinr = std::numeric_limits<float>::quiet_NaN();
};

using SignalHistory = std::vector<SignalPoint>;   // oldest first

// `history` with `point` after it, the oldest dropped beyond kSignalHistoryReadings.
inline std::shared_ptr<const SignalHistory> WithPoint(const std::shared_ptr<const SignalHistory>& history,
                                                      const SignalPoint& point) {
    auto next = std::make_shared<SignalHistory>();
    next->reserve(kSignalHistoryReadings);
    const size_t have = history ? history->size() : 0;
    const size_t keep = have < kSignalHistoryReadings ? have : kSignalHistoryReadings - 1;
    if (keep > 0) next->assign(history->end() - static_cast<std::ptrdiff_t>(keep), history->end());
    next->push_back(point);
    return next;
}
