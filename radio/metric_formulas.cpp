#include "radio/metric_formulas.h"

namespace {

// A scale of codes 0..last: value = offset + code * step for the codes after the lowest; the
// lowest is "below" the bound of the code above it, the highest "at or above". Offset and step
// are in tenths, so -20.2 + 1 * 0.2 is exactly the -20 it should print as.
Metric Scale(long long code, long long last, long long offsetTenths, long long stepTenths) {
    Metric metric;
    if (code < 0 || code > last) return metric;
    metric.known = true;
    const long long tenths = offsetTenths + (code == 0 ? 1 : code) * stepTenths;
    metric.value = static_cast<double>(tenths) / 10.0;
    if (code == 0) metric.end = OpenEnd::Below;
    if (code == last) metric.end = OpenEnd::AtOrAbove;
    return metric;
}

}  // namespace

// 3GPP TS 27.007 +CESQ <rxlev>: 0 rssi < -110 dBm, 1 -110 <= rssi < -109, ... 63 >= -48.
Metric CesqRxlev(long long code) { return Scale(code, 63, -1110, 10); }
// 3GPP TS 27.007 +CESQ <rscp>: 0 < -120 dBm, 1 -120 <= rscp < -119, ... 96 >= -25.
Metric CesqRscp(long long code) { return Scale(code, 96, -1210, 10); }
// 3GPP TS 27.007 +CESQ <ecno>: 0 < -24 dB, 1 -24 <= ecno < -23.5, ... 49 >= 0.
Metric CesqEcno(long long code) { return Scale(code, 49, -245, 5); }
// 3GPP TS 27.007 +CESQ <rsrq>: 0 < -19.5 dB, 1 -19.5 <= rsrq < -19, ... 34 >= -3.
Metric CesqRsrq(long long code) { return Scale(code, 34, -200, 5); }
// 3GPP TS 27.007 +CESQ <rsrp>: 0 < -140 dBm, 1 -140 <= rsrp < -139, ... 97 >= -44.
Metric CesqRsrp(long long code) { return Scale(code, 97, -1410, 10); }
// 3GPP TS 38.133 Table 10.1.6.1-1 (SS-RSRP): 0 < -156 dBm, 1 -156 <= rsrp < -155, ... 126 >= -31.
Metric CesqSsRsrp(long long code) { return Scale(code, 126, -1570, 10); }
// 3GPP TS 38.133 Table 10.1.11.1-1 (SS-RSRQ): 0 < -43 dB, 1 -43 <= rsrq < -42.5, ... 127 >= 20.
Metric CesqSsRsrq(long long code) { return Scale(code, 127, -435, 5); }
// 3GPP TS 38.133 Table 10.1.16.1-1 (SS-SINR): 0 < -23 dB, 1 -23 <= sinr < -22.5, ... 127 >= 40.
Metric CesqSsSinr(long long code) { return Scale(code, 127, -235, 5); }

// Caret module AT manual, ^HCSQ: rssi 0 < -120 dBm, 1 -120 <= rssi < -119, ... 96 >= -25.
Metric HcsqRssi(long long code) { return Scale(code, 96, -1210, 10); }
// Caret module AT manual, ^HCSQ: rsrp 0 < -140 dBm, 1 -140 <= rsrp < -139, ... 97 >= -44.
Metric HcsqRsrp(long long code) { return Scale(code, 97, -1410, 10); }
// Caret module AT manual, ^HCSQ: sinr 0 < -20 dB, 1 -20 <= sinr < -19.8, ... 251 >= 30.
Metric HcsqSinr(long long code) { return Scale(code, 251, -202, 2); }
// Caret module AT manual, ^HCSQ: rsrq 0 < -19.5 dB, 1 -19.5 <= rsrq < -19, ... 34 >= -3.
Metric HcsqRsrq(long long code) { return Scale(code, 34, -200, 5); }
// Caret module AT manual, ^HCSQ: rscp 0 < -120 dBm, ... 96 >= -25.
Metric HcsqRscp(long long code) { return Scale(code, 96, -1210, 10); }
// Caret module AT manual, ^HCSQ: ecio 0 < -32 dB, 1 -32 <= ecio < -31.5, ... 65 >= 0.
Metric HcsqEcio(long long code) { return Scale(code, 65, -325, 5); }

// +QENG module AT manual, serving cell query: <SINR> 0..250, dB = <SINR> / 5 - 20. The scale
// is closed at both ends (0 is -20 dB, 250 is 30 dB).
Metric QengSinrScale(long long code) {
    Metric metric;
    if (code < 0 || code > 250) return metric;
    metric.known = true;
    metric.value = static_cast<double>(code * 2 - 200) / 10.0;
    return metric;
}

const char* const kQengOneLineSinrNote =
    "SINR read on the 0..250 scale the +QENG one-line form is documented with (dB = value / 5 - 20); "
    "some firmware gives plain dB there";
const char* const kQengLinesSinrNote =
    "SINR read as plain dB, as the +QENG multi-line form gives it on most firmware; one published "
    "log shows 2 x value - 20 dB";

Metric QengLteSinr(long long value, QengForm form) {
    if (value < 0) return PlainMetric(MetricKind::Sinr, static_cast<double>(value));
    if (value > 40) return QengSinrScale(value);
    Metric metric =
        form == QengForm::OneLine ? QengSinrScale(value) : PlainMetric(MetricKind::Sinr, static_cast<double>(value));
    metric.note = form == QengForm::OneLine ? kQengOneLineSinrNote : kQengLinesSinrNote;
    return metric;
}

Metric PlainMetric(MetricKind kind, double value) {
    Metric metric;
    if (!InRange(kind, value)) return metric;
    metric.known = true;
    metric.value = value;
    return metric;
}
