#include "common/signal_level.h"

#include <climits>

namespace {

bool IsFormatBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

SignalLevel SignalLevelFromCsqValue(long long csq) {
    SignalLevel level{false, 0, 0};
    level.csq = csq > INT_MAX ? INT_MAX : csq < INT_MIN ? INT_MIN : static_cast<int>(csq);
    if (csq >= 0 && csq <= 31) {
        level.known = true;
        level.dbm = static_cast<int>(2 * csq - 113);
    } else if (csq >= 100 && csq <= 191) {
        level.known = true;
        level.dbm = static_cast<int>(csq - 216);
    }
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
