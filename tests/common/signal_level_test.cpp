#include "common/signal_level.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

struct LevelCase {
    const char* field;
    bool known;
    int csq;
    int dbm;   // only when known
};

// Fields as a +CSQ answer gives them, read as "%d" would: blanks, a sign, digits up to the first
// non-digit, 0 without a number; saturated instead of overflowing.
const LevelCase kCases[] = {
    {"0", true, 0, -113},
    {"31", true, 31, -51},
    {"32", false, 32, 0},
    {"98", false, 98, 0},
    {"99", false, 99, 0},
    {"100", true, 100, -116},
    {"151", true, 151, -65},
    {"191", true, 191, -25},
    {"192", false, 192, 0},
    {"199", false, 199, 0},
    {"-1", false, -1, 0},
    {"-0", true, 0, -113},
    {"2147483648", false, INT_MAX, 0},
    {"99999999999999999999999999999", false, INT_MAX, 0},
    {"-99999999999999999999999999999", false, INT_MIN, 0},
    {" \t 17", true, 17, -79},
    {"+18", true, 18, -77},
    {"31abc", true, 31, -51},
    {"1 8", true, 1, -111},
    {"0x1F", true, 0, -113},
    {"", true, 0, -113},
    {"   ", true, 0, -113},
    {"abc", true, 0, -113},
    {"-", true, 0, -113},
};

TEST(SignalLevelFromCsq, ReadsEachFieldAsItsLevel) {
    for (const LevelCase& c : kCases) {
        SCOPED_TRACE(std::string("field '") + c.field + "'");
        const SignalLevel level = SignalLevelFromCsq(c.field, std::strlen(c.field));
        EXPECT_EQ(level.known, c.known);
        EXPECT_EQ(level.csq, c.csq);
        if (c.known) {
            EXPECT_EQ(level.dbm, c.dbm);
        }
    }
}

// The length bounds the field: what follows in memory is not read.
TEST(SignalLevelFromCsq, ReadsNoFurtherThanTheLength) {
    EXPECT_EQ(SignalLevelFromCsq("1517", 3).dbm, -65);
    EXPECT_EQ(SignalLevelFromCsq("99", 1).dbm, -95);
    const SignalLevel none = SignalLevelFromCsq("18", 0);
    EXPECT_TRUE(none.known);
    EXPECT_EQ(none.csq, 0);
}

// Each scale's ends are open: 0 is -113 dBm or less, 31 -51 or more, and so the extension's
// 100 and 191 (-116 or less, -25 or more).
TEST(SignalLevelFromCsqValue, TheEndsOfEachScaleAreOpen) {
    const struct {
        long long csq;
        int dbm;
        OpenEnd end;
    } cases[] = {{0, -113, OpenEnd::Below},    {1, -111, OpenEnd::None},   {31, -51, OpenEnd::AtOrAbove},
                 {100, -116, OpenEnd::Below},  {101, -115, OpenEnd::None}, {191, -25, OpenEnd::AtOrAbove}};
    for (const auto& c : cases) {
        const SignalLevel level = SignalLevelFromCsqValue(c.csq);
        EXPECT_EQ(level.dbm, c.dbm) << c.csq;
        EXPECT_EQ(level.end, c.end) << c.csq;
    }
}

TEST(SignalLevelFromCsqValue, SaturatesTheValueItKeeps) {
    EXPECT_EQ(SignalLevelFromCsqValue(LLONG_MAX).csq, INT_MAX);
    EXPECT_EQ(SignalLevelFromCsqValue(LLONG_MIN).csq, INT_MIN);
    EXPECT_FALSE(SignalLevelFromCsqValue(LLONG_MAX).known);
    EXPECT_FALSE(SignalLevelFromCsqValue(4294967296LL + 20).known);   // not 20 wrapped
}

}  // namespace
