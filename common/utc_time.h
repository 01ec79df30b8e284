// Calendar time in UTC from the system's own conversion, so that no caller writes the
// platform's variant of gmtime itself.
#pragma once

#include <cstdint>

// A date in UTC; month and day count from 1.
struct UtcDate {
    int year;
    int month;
    int day;
};

struct UtcTime {
    UtcDate date;
    int hour;
    int minute;
    int second;
};

// The UTC calendar time of `unixSeconds` (seconds since 1970-01-01 00:00:00 UTC). False, with
// `time` zeroed, when the system cannot convert it (beyond its range).
bool UtcTimeAt(int64_t unixSeconds, UtcTime* time);

// Today in UTC by the system clock; {0, 0, 0} when the clock cannot be read or converted.
UtcDate UtcToday();
