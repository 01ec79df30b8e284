#include "common/utc_time.h"

#include <gtest/gtest.h>

namespace {

struct TimeCase {
    int64_t unixSeconds;
    UtcTime want;
};

TEST(UtcTimeAt, ConvertsCalendarEdges) {
    const TimeCase cases[] = {
        {0, {{1970, 1, 1}, 0, 0, 0}},
        {951782400, {{2000, 2, 29}, 0, 0, 0}},
        {1406851199, {{2014, 7, 31}, 23, 59, 59}},   // the last second before the buy-code offer
        {1406851200, {{2014, 8, 1}, 0, 0, 0}},
        {2147483647, {{2038, 1, 19}, 3, 14, 7}},
        {2147483648LL, {{2038, 1, 19}, 3, 14, 8}},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.unixSeconds);
        UtcTime time{};
        ASSERT_TRUE(UtcTimeAt(c.unixSeconds, &time));
        EXPECT_EQ(time.date.year, c.want.date.year);
        EXPECT_EQ(time.date.month, c.want.date.month);
        EXPECT_EQ(time.date.day, c.want.date.day);
        EXPECT_EQ(time.hour, c.want.hour);
        EXPECT_EQ(time.minute, c.want.minute);
        EXPECT_EQ(time.second, c.want.second);
    }
}

// Far beyond any calendar the system keeps: refused and zeroed, never garbage.
TEST(UtcTimeAt, RefusesWhatTheSystemCannotConvert) {
    UtcTime time{{1, 2, 3}, 4, 5, 6};
    EXPECT_FALSE(UtcTimeAt(INT64_MAX, &time));
    EXPECT_EQ(time.date.year, 0);
    EXPECT_EQ(time.second, 0);
}

TEST(UtcToday, IsAPlausibleDate) {
    const UtcDate today = UtcToday();
    EXPECT_GE(today.year, 2024);
    EXPECT_GE(today.month, 1);
    EXPECT_LE(today.month, 12);
    EXPECT_GE(today.day, 1);
    EXPECT_LE(today.day, 31);
}

}  // namespace
