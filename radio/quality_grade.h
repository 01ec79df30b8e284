// One grade per metric from one table of half-open ranges: a value at a threshold belongs to
// the better grade (RSRP -80 is excellent, -80.5 good).
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

enum class Grade { Unknown, Excellent, Good, Fair, Poor };

Grade GradeOf(MetricKind kind, double value);
// A metric's grade: a value below an open lower end is graded as lying under its bound.
Grade GradeOfMetric(MetricKind kind, const Metric& metric);

// "excellent", "good", "fair", "poor"; nullptr for Unknown.
const char* GradeEnum(Grade grade);
// The program's words, Windows-1251: "Отлично", "Хорошо", "Удовлетворительно", "Плохо".
const char* GradeWord(Grade grade);
