#include "common/utc_time.h"

#include <ctime>

// The 64-bit forms throughout: the 32-bit build's time_t is 32 bits wide and would end in 2038.
bool UtcTimeAt(int64_t unixSeconds, UtcTime* time) {
    *time = UtcTime{};
    const __time64_t seconds = unixSeconds;
    std::tm utc{};
    if (_gmtime64_s(&utc, &seconds) != 0) return false;
    *time = UtcTime{{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday}, utc.tm_hour, utc.tm_min,
                    utc.tm_sec};
    return true;
}

UtcDate UtcToday() {
    const __time64_t now = _time64(nullptr);
    UtcTime time{};
    if (now == -1 || !UtcTimeAt(now, &time)) return UtcDate{0, 0, 0};
    return time.date;
}
