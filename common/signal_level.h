// The one reading of a +CSQ signal field as numbers, shared by the signal row, `watch` and the
// radio facts, so that every front end agrees on what a value means.
#pragma once

#include <cstddef>

// Which end of a scale a value sits on. A coded scale gives the lower bound of the interval a
// code names (3GPP TS 27.007 +CESQ: "rsrp 1: -140 <= rsrp < -139 dBm"), so a value is normally
// that bound; the lowest code has no lower bound and reads "below" its upper one, and the
// highest reads "at or above".
enum class OpenEnd { None, Below, AtOrAbove };

// The levels +CSQ 0 and 31 stand for (3GPP TS 27.007: "-113 dBm or less", "-51 dBm or
// greater"); a bar of the +CSQ level spans them.
constexpr int kCsqLowestDbm = -113;
constexpr int kCsqHighestDbm = -51;

struct SignalLevel {
    bool known = false;   // false: the modem has no measurement, or the value means nothing defined
    int csq = 0;          // the field as read, saturated into int (meaningful even when !known)
    int dbm = 0;          // only when known
    OpenEnd end = OpenEnd::None;   // at a scale's end: dbm or less (Below), dbm or more
};

// Reads the field as "%d" would (leading blanks, an optional sign, digits up to the first
// non-digit; 0 when there is no number), saturating instead of overflowing, then:
//   0..31    -> -113 + 2 * csq dBm (3GPP TS 27.007 +CSQ <rssi>), 0 "or less", 31 "or more";
//   100..191 -> csq - 216 dBm (the TD-SCDMA extension of module manuals: 100 is -116 dBm or
//               less, 191 -25 dBm or more);
//   anything else (99, 199, negative, huge) -> unknown.
SignalLevel SignalLevelFromCsq(const char* field, size_t length);

// The same for a value already read as a number.
SignalLevel SignalLevelFromCsqValue(long long csq);
