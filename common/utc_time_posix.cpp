#include "common/utc_time.h"

#include <ctime>

bool UtcTimeAt(int64_t unixSeconds, UtcTime* time) {
    *time = UtcTime{};
    // A 32-bit time_t (a 32-bit build) cannot hold every value.
    const std::time_t seconds = static_cast<std::time_t>(unixSeconds);
    if (static_cast<int64_t>(seconds) != unixSeconds) return false;
    std::tm utc{};
    if (gmtime_r(&seconds, &utc) == nullptr) return false;
    *time = UtcTime{{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday}, utc.tm_hour, utc.tm_min,
                    utc.tm_sec};
    return true;
}

UtcDate UtcToday() {
    const std::time_t now = std::time(nullptr);
    UtcTime time{};
    if (now == static_cast<std::time_t>(-1) || !UtcTimeAt(static_cast<int64_t>(now), &time)) {
        return UtcDate{0, 0, 0};
    }
    return time.date;
}
