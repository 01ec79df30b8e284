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
// 3GPP TS 27.007 +CESQ's NR fields by the reporting tables of TS 38.133: ss_rsrq 0..127,
// ss_rsrp 0..126, ss_sinr 0..127; 255 unknown.
Metric CesqSsRsrq(long long code);
Metric CesqSsRsrp(long long code);
Metric CesqSsSinr(long long code);

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

// The +QENG family's LTE SINR (and the RSSNR of its carrier list), whose scale public reports
// do not settle:
//  - one line (the older firmware): the module AT manual defines 0..250, dB = value / 5 - 20;
//    field reports of two modules' firmware show plain dB there (21 beside RSRQ -9, where the
//    scale would give -15.8 dB). A negative value is dB (the scale has none), a value above
//    40 the scale (no receiver reports 40 dB); from 0 to 40 the manual's scale, with a note.
//  - two or more lines (firmware that pairs LTE with NR): plain dB in the reports of the
//    carrier list beside it (16 beside the carrier list's 15); one published log shows 25
//    where the module's own QMI read gave 30.0 dB at the same moment (2 x value - 20). From
//    0 to 40 plain dB, with a note; a negative value is dB and one above 40 the scale, as on
//    the one-line form.
enum class QengForm { OneLine, Lines };
Metric QengLteSinr(long long value, QengForm form);
// The notes those readings carry.
extern const char* const kQengOneLineSinrNote;
extern const char* const kQengLinesSinrNote;
