// The one reading of a +CSQ signal field as numbers, shared by the signal row, `watch` and the
// radio facts, so that every front end agrees on what a value means.
#pragma once

#include <cstddef>

struct SignalLevel {
    bool known;   // false: the modem has no measurement, or the value means nothing defined
    int csq;      // the field as read, saturated into int (meaningful even when !known)
    int dbm;      // only when known
};

// Reads the field as "%d" would (leading blanks, an optional sign, digits up to the first
// non-digit; 0 when there is no number), saturating instead of overflowing, then:
//   0..31    -> -113 + 2 * csq dBm (3GPP TS 27.007 +CSQ <rssi>);
//   100..191 -> csq - 216 dBm (the TD-SCDMA extension of module manuals: 100 is below -115,
//               191 at or above -25);
//   anything else (99, 199, negative, huge) -> unknown.
SignalLevel SignalLevelFromCsq(const char* field, size_t length);

// The same for a value already read as a number.
SignalLevel SignalLevelFromCsqValue(long long csq);
