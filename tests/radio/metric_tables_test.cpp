// The decoding formulas at the ends of their scales, the grades at every threshold, and the
// band of each E-UTRA band's first and last downlink EARFCN.
#include <gtest/gtest.h>

#include <cstring>

#include "radio/lte_bands.h"
#include "radio/metric_formulas.h"
#include "radio/quality_grade.h"

namespace {

TEST(RadioFormulas, EdgesOfEveryScale) {
    const struct {
        Metric (*decode)(long long);
        long long code;
        bool known;
        double value;
        OpenEnd end;
    } cases[] = {
        {CesqRsrp, -1, false, 0, OpenEnd::None},  {CesqRsrp, 0, true, -140, OpenEnd::Below},
        {CesqRsrp, 1, true, -140, OpenEnd::None}, {CesqRsrp, 96, true, -45, OpenEnd::None},
        {CesqRsrp, 97, true, -44, OpenEnd::AtOrAbove}, {CesqRsrp, 98, false, 0, OpenEnd::None},
        {CesqRsrp, 255, false, 0, OpenEnd::None},
        {CesqRsrq, 0, true, -19.5, OpenEnd::Below}, {CesqRsrq, 1, true, -19.5, OpenEnd::None},
        {CesqRsrq, 34, true, -3, OpenEnd::AtOrAbove}, {CesqRsrq, 35, false, 0, OpenEnd::None},
        {CesqRscp, 0, true, -120, OpenEnd::Below}, {CesqRscp, 96, true, -25, OpenEnd::AtOrAbove},
        {CesqRscp, 97, false, 0, OpenEnd::None},
        {CesqEcno, 0, true, -24, OpenEnd::Below}, {CesqEcno, 49, true, 0, OpenEnd::AtOrAbove},
        {CesqEcno, 50, false, 0, OpenEnd::None},
        {CesqRxlev, 0, true, -110, OpenEnd::Below}, {CesqRxlev, 63, true, -48, OpenEnd::AtOrAbove},
        {CesqRxlev, 99, false, 0, OpenEnd::None},
        {HcsqRssi, 0, true, -120, OpenEnd::Below}, {HcsqRssi, 96, true, -25, OpenEnd::AtOrAbove},
        {HcsqRssi, 97, false, 0, OpenEnd::None},
        {HcsqRsrp, 1, true, -140, OpenEnd::None}, {HcsqRsrp, 97, true, -44, OpenEnd::AtOrAbove},
        {HcsqSinr, 0, true, -20, OpenEnd::Below}, {HcsqSinr, 1, true, -20, OpenEnd::None},
        {HcsqSinr, 101, true, 0, OpenEnd::None}, {HcsqSinr, 251, true, 30, OpenEnd::AtOrAbove},
        {HcsqSinr, 252, false, 0, OpenEnd::None}, {HcsqSinr, 255, false, 0, OpenEnd::None},
        {HcsqRsrq, 0, true, -19.5, OpenEnd::Below}, {HcsqRsrq, 34, true, -3, OpenEnd::AtOrAbove},
        {HcsqEcio, 0, true, -32, OpenEnd::Below}, {HcsqEcio, 65, true, 0, OpenEnd::AtOrAbove},
        {QengSinrScale, 0, true, -20, OpenEnd::None}, {QengSinrScale, 250, true, 30, OpenEnd::None},
        {QengSinrScale, 251, false, 0, OpenEnd::None}, {QengSinrScale, -1, false, 0, OpenEnd::None},
    };
    for (const auto& c : cases) {
        const Metric metric = c.decode(c.code);
        EXPECT_EQ(metric.known, c.known) << c.code;
        if (!c.known) continue;
        EXPECT_EQ(metric.value, c.value) << c.code;   // exact: the values print as decimals
        EXPECT_EQ(metric.end, c.end) << c.code;
    }
}

TEST(RadioGrades, EveryThresholdBelongsToTheBetterGrade) {
    const struct {
        MetricKind kind;
        double value;
        Grade grade;
    } cases[] = {
        {MetricKind::Rsrp, -80, Grade::Excellent},  {MetricKind::Rsrp, -80.5, Grade::Good},
        {MetricKind::Rsrp, -90, Grade::Good},       {MetricKind::Rsrp, -90.5, Grade::Fair},
        {MetricKind::Rsrp, -100, Grade::Fair},      {MetricKind::Rsrp, -100.5, Grade::Poor},
        {MetricKind::Rsrq, -10, Grade::Excellent},  {MetricKind::Rsrq, -10.5, Grade::Good},
        {MetricKind::Rsrq, -15, Grade::Good},       {MetricKind::Rsrq, -15.5, Grade::Fair},
        {MetricKind::Rsrq, -20, Grade::Fair},       {MetricKind::Rsrq, -20.5, Grade::Poor},
        {MetricKind::Sinr, 20, Grade::Excellent},   {MetricKind::Sinr, 19.8, Grade::Good},
        {MetricKind::Sinr, 13, Grade::Good},        {MetricKind::Sinr, 12.8, Grade::Fair},
        {MetricKind::Sinr, 0, Grade::Fair},         {MetricKind::Sinr, -0.2, Grade::Poor},
        {MetricKind::Rssi, -65, Grade::Excellent},  {MetricKind::Rssi, -66, Grade::Good},
        {MetricKind::Rssi, -75, Grade::Good},       {MetricKind::Rssi, -76, Grade::Fair},
        {MetricKind::Rssi, -85, Grade::Fair},       {MetricKind::Rssi, -86, Grade::Poor},
        {MetricKind::Rscp, -75, Grade::Excellent},  {MetricKind::Rscp, -76, Grade::Good},
        {MetricKind::Rscp, -85, Grade::Good},       {MetricKind::Rscp, -86, Grade::Fair},
        {MetricKind::Rscp, -95, Grade::Fair},       {MetricKind::Rscp, -96, Grade::Poor},
        {MetricKind::Ecno, -6, Grade::Excellent},   {MetricKind::Ecno, -6.5, Grade::Good},
        {MetricKind::Ecno, -10, Grade::Good},       {MetricKind::Ecno, -10.5, Grade::Fair},
        {MetricKind::Ecno, -15, Grade::Fair},       {MetricKind::Ecno, -15.5, Grade::Poor},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GradeOf(c.kind, c.value), c.grade) << static_cast<int>(c.kind) << " " << c.value;
    }
    // Below an open end that sits on a threshold: under it, so the worse grade.
    Metric below;
    below.known = true;
    below.value = 0;
    below.end = OpenEnd::Below;
    EXPECT_EQ(GradeOfMetric(MetricKind::Sinr, below), Grade::Poor);
    EXPECT_EQ(GradeOfMetric(MetricKind::Sinr, Metric{}), Grade::Unknown);
    EXPECT_STREQ(GradeEnum(Grade::Fair), "fair");
    EXPECT_EQ(GradeEnum(Grade::Unknown), nullptr);
}

TEST(RadioBands, FirstAndLastDownlinkEarfcnOfEveryBand) {
    int count = 0;
    const EarfcnRange* table = LteBandTable(&count);
    ASSERT_GT(count, 60);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(BandFromEarfcn(table[i].first), table[i].band) << table[i].first;
        EXPECT_EQ(BandFromEarfcn(table[i].last), table[i].band) << table[i].last;
        if (i > 0) {
            EXPECT_GT(table[i].first, table[i - 1].last) << "overlap at band " << table[i].band;
        }
    }
    // Between bands, past the last, negative: no band.
    for (long long channel : {4950LL, 5009LL, 7400LL, 10360LL, 35999LL, 60255LL, 65535LL, 70646LL, -1LL}) {
        EXPECT_EQ(BandFromEarfcn(channel), 0) << channel;
    }
}

}  // namespace
