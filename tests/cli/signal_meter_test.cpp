// What watch makes of the signal row: levels, gaps, the history line and the figures. The
// JSON and tab-separated lines are checked on the built tool (cli_watch_test).
#include <gtest/gtest.h>

#include "cli/report/signal_meter.h"

namespace {

SignalReading FromRow(const std::string& row) {
    SignalReading reading;
    ReadSignalRow(row, &reading);
    if (!reading.answered) reading.gapText = "no reply";
    return reading;
}

TEST(SignalMeter, TheRowTextGivesCsqAndDbm) {
    const struct {
        std::string row;
        bool answered;
        int csq;
        bool hasDbm;
        int dbm;
    } cases[] = {
        {"-113 dBm (Плохо)", true, 0, true, -113},
        {"-51 dBm (Отлично)", true, 31, true, -51},
        {"-77 dBm (Хорошо)", true, 18, true, -77},
        {"Неизвестно", true, 99, false, 0},
        {"", false, 0, false, 0},
        {"-23 dBm (Отлично)", true, 45, true, -23},   // an odd modem's value, shown as the row does
    };
    for (const auto& c : cases) {
        const SignalReading reading = FromRow(c.row);
        EXPECT_EQ(reading.answered, c.answered) << c.row;
        if (c.answered) {
            EXPECT_EQ(reading.csq, c.csq) << c.row;
        }
        EXPECT_EQ(reading.hasDbm, c.hasDbm) << c.row;
        if (c.hasDbm) {
            EXPECT_EQ(reading.dbm, c.dbm) << c.row;
        }
    }
}

TEST(SignalMeter, FiguresCountOnlyLevelsAModemCanReport) {
    SignalMeter meter;
    for (const char* row : {"-77 dBm (Хорошо)", "", "Неизвестно", "-23 dBm (Отлично)", "-113 dBm (Плохо)",
                            "-51 dBm (Отлично)"}) {
        meter.Add(FromRow(row));
    }
    EXPECT_EQ(meter.Readings(), 6u);
    EXPECT_EQ(meter.Levels(), 3u);
    EXPECT_EQ(meter.MinDbm(), -113);
    EXPECT_EQ(meter.MaxDbm(), -51);
    EXPECT_DOUBLE_EQ(meter.AverageDbm(), (-77 - 113 - 51) / 3.0);
    EXPECT_EQ(meter.Summary(), "6 readings, min -113 dBm, avg -80.3 dBm, max -51 dBm");
    // Outside the macro: its text of the expression is an ordinary literal, which the execution
    // character set cannot hold.
    const std::string history = u8"▅···▁█";
    EXPECT_EQ(meter.History(), history);
    EXPECT_EQ(SignalMeter().Summary(), "0 readings, no signal level");
    SignalReading line = FromRow("-77 dBm (Хорошо)");
    line.timeUtc = IsoUtcTime(1796659201123);
    const std::string tabLine = u8"2026-12-07T16:00:01.123Z\t18\t-77\t-77 dBm (Хорошо)";
    EXPECT_EQ(ReadingAsTabLine(line), tabLine);
}

TEST(SignalMeter, HistoryKeepsTheLastSixtyOldestLeft) {
    SignalMeter meter;
    meter.Add(FromRow("-113 dBm (Плохо)"));
    for (size_t i = 0; i < kMeterHistoryLength; ++i) meter.Add(FromRow("-51 dBm (Отлично)"));
    std::string full;
    for (size_t i = 0; i < kMeterHistoryLength; ++i) full += u8"█";
    EXPECT_EQ(meter.History(), full);   // the lowest, oldest reading has scrolled out
    meter.Add(FromRow(""));
    const std::string gap = u8"·";
    EXPECT_EQ(meter.History(), full.substr(3) + gap);
}

}  // namespace
