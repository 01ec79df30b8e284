// The decoding formulas at the ends of their scales, the grades at every threshold, and the
// band of each E-UTRA band's first and last downlink EARFCN.
#include <gtest/gtest.h>

#include <cstring>

#include "radio/lte_bands.h"
#include "radio/metric_formulas.h"
#include "radio/nr_bands.h"
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
        // 3GPP TS 38.133's NR reporting tables as +CESQ carries them.
        {CesqSsRsrp, 0, true, -156, OpenEnd::Below}, {CesqSsRsrp, 1, true, -156, OpenEnd::None},
        {CesqSsRsrp, 126, true, -31, OpenEnd::AtOrAbove}, {CesqSsRsrp, 127, false, 0, OpenEnd::None},
        {CesqSsRsrq, 0, true, -43, OpenEnd::Below}, {CesqSsRsrq, 1, true, -43, OpenEnd::None},
        {CesqSsRsrq, 127, true, 20, OpenEnd::AtOrAbove}, {CesqSsRsrq, 128, false, 0, OpenEnd::None},
        {CesqSsSinr, 0, true, -23, OpenEnd::Below}, {CesqSsSinr, 47, true, 0, OpenEnd::None},
        {CesqSsSinr, 127, true, 40, OpenEnd::AtOrAbove}, {CesqSsSinr, 255, false, 0, OpenEnd::None},
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

// The +QENG LTE SINR per form: the scale or plain dB between 0 and 40, each with its note;
// below 0 always dB, above 40 always the scale.
TEST(RadioFormulas, QengLteSinrPerForm) {
    const struct {
        long long value;
        QengForm form;
        bool known;
        double db;
        const char* note;
    } cases[] = {
        {16, QengForm::OneLine, true, -16.8, kQengOneLineSinrNote}, {40, QengForm::OneLine, true, -12, kQengOneLineSinrNote},
        {41, QengForm::OneLine, true, -11.8, nullptr},               {-3, QengForm::OneLine, true, -3, nullptr},
        {251, QengForm::OneLine, false, 0, nullptr},                 {25, QengForm::Lines, true, 25, kQengLinesSinrNote},
        {0, QengForm::Lines, true, 0, kQengLinesSinrNote},           {41, QengForm::Lines, true, -11.8, nullptr},
        {-20, QengForm::Lines, true, -20, nullptr},                  {-24, QengForm::Lines, false, 0, nullptr},
    };
    for (const auto& c : cases) {
        const Metric metric = QengLteSinr(c.value, c.form);
        EXPECT_EQ(metric.known, c.known) << c.value;
        if (!c.known) continue;
        EXPECT_EQ(metric.value, c.db) << c.value;
        EXPECT_EQ(metric.note, c.note) << c.value;
    }
}

TEST(RadioBands, NrArfcnRasterAndBands) {
    // The three ranges of the global raster at their ends.
    const struct {
        long long arfcn;
        long long khz;
    } raster[] = {{0, 0},           {599999, 2999995},      {600000, 3000000},      {627264, 3408960},
                  {2016666, 24249990}, {2016667, 24250080}, {3279165, 99999960}, {3279166, 0},
                  {-1, 0}};
    for (const auto& r : raster) EXPECT_EQ(NrArfcnFrequencyKhz(r.arfcn), r.khz) << r.arfcn;
    // Each band's ends lie in a band that holds them; where ranges overlap the narrowest
    // wins, ties to the lower number.
    int count = 0;
    const NrArfcnRange* table = NrBandTable(&count);
    ASSERT_GT(count, 40);
    for (int i = 0; i < count; ++i) {
        for (long channel : {table[i].first, table[i].last}) {
            const int band = NrBandFromArfcn(channel);
            bool holds = false;
            for (int j = 0; j < count; ++j) {
                holds = holds || (table[j].band == band && channel >= table[j].first && channel <= table[j].last);
            }
            EXPECT_TRUE(holds) << channel;
        }
    }
    const struct {
        long long arfcn;
        int band;
    } picks[] = {{627264, 78}, {653334, 77}, {432000, 1},   {436000, 65}, {520000, 38}, {504990, 41},
                 {537999, 7},  {538000, 7},  {285400, 51},  {300000, 74}, {290000, 50}, {368500, 3},
                 {620000, 78}, {680000, 77}, {680001, 0},   {0, 0},       {900000, 0},  {2016667, 0}};
    for (const auto& p : picks) EXPECT_EQ(NrBandFromArfcn(p.arfcn), p.band) << p.arfcn;
    // The makers' bandwidth codes and the LTE resource blocks.
    EXPECT_EQ(NrBandwidthCodeKhz(0), 5000);
    EXPECT_EQ(NrBandwidthCodeKhz(12), 100000);
    EXPECT_EQ(NrBandwidthCodeKhz(14), 400000);
    EXPECT_EQ(NrBandwidthCodeKhz(15), 0);
    EXPECT_EQ(LteResourceBlocksKhz(6), 1400);
    EXPECT_EQ(LteResourceBlocksKhz(100), 20000);
    EXPECT_EQ(LteResourceBlocksKhz(7), 0);
    EXPECT_EQ(LteBandwidthCodeKhz(0), 1400);
    EXPECT_EQ(LteBandwidthCodeKhz(6), 0);
}

}  // namespace
