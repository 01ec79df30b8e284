// The coded signal values of the standard and of the vendor families as dBm or dB.
//
// One convention throughout: a code stands for the interval it names and gives that
// interval's lower bound (3GPP TS 27.007 +CESQ rsrp 1 means -140 <= rsrp < -139 dBm, so
// -140). The lowest code names an open interval below a bound, given as that bound with
// OpenEnd::Below; the highest gives its bound with OpenEnd::AtOrAbove. A code outside the
// scale (99, 255, a negative number) is unknown: the Metric is not known.
#pragma once

#include "radio/radio_facts.h"

// 3GPP TS 27.007 +CESQ: rxlev 0..63 (-110 dBm steps of 1), rscp 0..96, ecno 0..49,
// rsrq 0..34, rsrp 0..97; 99 and 255 unknown.
Metric CesqRxlev(long long code);
Metric CesqRscp(long long code);
Metric CesqEcno(long long code);
Metric CesqRsrq(long long code);
Metric CesqRsrp(long long code);

// The caret family's ^HCSQ (module AT manual, ^HCSQ section): rssi 0..96, rsrp 0..97,
// sinr 0..251, rsrq 0..34, rscp 0..96, ecio 0..65; 255 unknown.
Metric HcsqRssi(long long code);
Metric HcsqRsrp(long long code);
Metric HcsqSinr(long long code);
Metric HcsqRsrq(long long code);
Metric HcsqRscp(long long code);
Metric HcsqEcio(long long code);

// The +QENG family's SINR on firmware that reports it as a 0..250 scale: dB = code / 5 - 20
// (module AT manual, serving cell query section).
Metric QengSinrScale(long long code);

// A value the modem already gives in dBm or dB, kept when it lies in the metric's plausible
// range.
Metric PlainMetric(MetricKind kind, double value);
