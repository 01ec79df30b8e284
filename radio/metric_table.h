// Everything the program knows about a radio metric, one row each: its JSON key, its label and
// unit on screen, the values believed, the span of a bar, and the grade bounds. `cell`, `watch`,
// `watch --all`, the reading process and the exporter all take their names and grades from
// here, so a metric reads the same wherever it is shown.
//
// The grades are half-open ranges: a value at a bound belongs to the better grade (RSRP -80 is
// excellent, -80.5 good).
//
//   metric  excellent   good          fair          poor
//   RSRP    >= -80      [-90, -80)    [-100, -90)   < -100   dBm
//   RSRQ    >= -10      [-15, -10)    [-20, -15)    < -20    dB
//   SINR    >= 20       [13, 20)      [0, 13)       < 0      dB
//   RSSI    >= -65      [-75, -65)    [-85, -75)    < -85    dBm
//   RSCP    >= -75      [-85, -75)    [-95, -85)    < -95    dBm
//   Ec/No   >= -6       [-10, -6)     [-15, -10)    < -15    dB
//
// RSRP, RSRQ and SINR follow the thresholds operators and module makers give for LTE; RSSI
// the same thresholds applied to a carrier's total power on any technology; RSCP and Ec/No
// the usual UMTS drive-test bands.
#pragma once

#include "radio/radio_facts.h"

struct MetricRange {
    double low;
    double high;
};

// The lower bounds of the three better grades; below `fair` is poor.
struct GradeBounds {
    double excellent;
    double good;
    double fair;
};

struct MetricInfo {
    MetricKind kind;
    const char* key;       // JSON key and the stem of derived keys: "rsrp", "rsrp_grade"
    const char* label;     // on screen: "RSRP"
    const char* unit;      // "dBm" or "dB"
    // The plausible range, beyond which a value is unknown rather than believed: the reporting
    // ranges of 3GPP TS 36.133 (RSRP -156..-31 dBm, RSRQ -34..2.5 dB, extended ranges), TS
    // 25.133 (RSCP -120..-25 dBm, Ec/No -24..0 dB), a receiver's RSSI, and SINR as the modems
    // report it (-20..+40 dB, one coded step below for the open end).
    MetricRange believed;
    // A bar's ends: the coded scale of 3GPP TS 27.007 +CESQ (SINR: the caret family's ^HCSQ).
    MetricRange span;
    GradeBounds grades;
    // RSSI, RSRP, RSRQ and SINR, which every family reading names: the short JSON form carries
    // them and watch's screen always has their rows; RSCP and Ec/No appear where given.
    bool headline;
};

// Whether `value` lies in the plausible range of an NR figure: the reporting ranges of 3GPP
// TS 38.133 (SS-RSRP -156..-31 dBm, SS-RSRQ -43..20 dB, SS-SINR -23..40 dB); RSRQ is the one
// wider than LTE's. The grades are LTE's: no published grade table for NR differs in use.
bool InNrRange(MetricKind kind, double value);

// Every metric, in the order they are shown: RSRP, RSRQ, SINR, RSSI, RSCP, Ec/No.
extern const MetricInfo kMetricTable[static_cast<int>(MetricKind::Count)];

const MetricInfo& InfoOf(MetricKind kind);

// "below" and "at_or_above" in JSON, "< " and ">= " before a value on screen ("≥" is not in
// Windows-1251); nullptr and "" for OpenEnd::None.
const char* OpenEndKey(OpenEnd end);
const char* OpenEndMark(OpenEnd end);
