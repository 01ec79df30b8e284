#include "common/signal_level.h"

#include <climits>

namespace {

bool IsFormatBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The standard's two ends are one scale of 2 dB steps.
static_assert(kCsqLowestDbm + 2 * 31 == kCsqHighestDbm, "+CSQ 31 is the scale's top");

}  // namespace

SignalLevel SignalLevelFromCsqValue(long long csq) {
    SignalLevel level;
    level.csq = csq > INT_MAX ? INT_MAX : csq < INT_MIN ? INT_MIN : static_cast<int>(csq);
    long long first = 0;
    long long last = 0;
    if (csq >= 0 && csq <= 31) {
        level.dbm = static_cast<int>(kCsqLowestDbm + 2 * csq);
        first = 0;
        last = 31;
    } else if (csq >= 100 && csq <= 191) {
        level.dbm = static_cast<int>(csq - 216);
        first = 100;
        last = 191;
    } else {
        return level;
    }
    level.known = true;
    if (csq == first) level.end = OpenEnd::Below;
    if (csq == last) level.end = OpenEnd::AtOrAbove;
    return level;
}

SignalLevel SignalLevelFromCsq(const char* field, size_t length) {
    constexpr long long kLimit = 1000000000000LL;   // far beyond any level, far below overflow
    size_t i = 0;
    while (i < length && IsFormatBlank(field[i])) ++i;
    bool negative = false;
    if (i < length && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    long long magnitude = 0;
    for (; i < length && field[i] >= '0' && field[i] <= '9'; ++i) {
        if (magnitude < kLimit) magnitude = magnitude * 10 + (field[i] - '0');
    }
    if (magnitude > kLimit) magnitude = kLimit;
    return SignalLevelFromCsqValue(negative ? -magnitude : magnitude);
}
