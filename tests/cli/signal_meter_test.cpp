// What watch makes of a +CSQ answer: levels, gaps, the history line and the figures, and how
// its live screen's lines are fitted to a terminal. The JSON and tab-separated lines are
// checked on the built tool (cli_watch_test).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <nlohmann/json.hpp>

#include "cli/watch/signal_meter.h"
#include "cli/watch/lines.h"
#include "cli/watch/reading.h"
#include "cli/watch/redraw.h"
#include "cli/watch/screen.h"

namespace {

// A reading from the value of a +CSQ answer; nullptr for a reading the modem left unanswered.
SignalReading FromAnswer(const char* value) {
    SignalReading reading;
    if (value == nullptr) {
        reading.gapText = "no reply";
    } else {
        ReadSignalAnswer(value, &reading);
    }
    return reading;
}

TEST(SignalMeter, TheAnswerGivesCsqAndDbmAsNumbers) {
    const struct {
        const char* value;
        int csq;
        bool known;
        int dbm;
        const char* text;   // nullptr: the row's words are the row's business here
    } cases[] = {
        {"0,99", 0, true, -113, "-113 dBm (Плохо)"},
        {"31,99", 31, true, -51, "-51 dBm (Отлично)"},
        {"18,99", 18, true, -77, "-77 dBm (Хорошо)"},
        {"99,99", 99, false, 0, "Неизвестно"},
        {"abc,0", 0, true, -113, "-113 dBm (Плохо)"},   // no number reads as 0, as the row does
        {"100,99", 100, true, -116, nullptr},
        {"151,99", 151, true, -65, nullptr},
        {"191,99", 191, true, -25, nullptr},
        // Undefined values have no level, whatever their text once suggested.
        {"45,99", 45, false, 0, nullptr},
        {"199,99", 199, false, 0, nullptr},
        {"-5,0", -5, false, 0, nullptr},
        {"99999999999999999999,0", INT_MAX, false, 0, nullptr},
    };
    for (const auto& c : cases) {
        const SignalReading reading = FromAnswer(c.value);
        EXPECT_TRUE(reading.answered) << c.value;
        EXPECT_EQ(reading.level.csq, c.csq) << c.value;
        EXPECT_EQ(reading.level.known, c.known) << c.value;
        if (c.known) {
            EXPECT_EQ(reading.level.dbm, c.dbm) << c.value;
        }
        if (c.text != nullptr) {
            EXPECT_EQ(reading.text, c.text) << c.value;
        }
    }
}

TEST(SignalMeter, FiguresCountOnlyKnownLevels) {
    SignalMeter meter;
    for (const char* value : {"18,99", static_cast<const char*>(nullptr), "99,99", "45,99", "0,99", "31,99",
                              "151,99"}) {
        meter.Add(FromAnswer(value));
    }
    EXPECT_EQ(meter.Readings(), 7u);
    EXPECT_EQ(meter.Levels(), 4u);
    EXPECT_EQ(meter.MinDbm(), -113);
    EXPECT_EQ(meter.MaxDbm(), -51);
    EXPECT_DOUBLE_EQ(meter.AverageDbm(), (-77 - 113 - 51 - 65) / 4.0);
    EXPECT_EQ(meter.Summary(), "7 readings, min -113 dBm, avg -76.5 dBm, max -51 dBm");
    // Outside the macro: its text of the expression is an ordinary literal, which the execution
    // character set cannot hold.
    const std::string history = u8"▅···▁█▆";
    EXPECT_EQ(meter.History(), history);
    EXPECT_EQ(SignalMeter().Summary(), "0 readings, no signal level");
    SignalReading line = FromAnswer("18,99");
    line.unixMs = 1796659201123;
    const std::string tabLine = u8"2026-12-07T16:00:01.123Z\t18\t-77\t-77 dBm (Хорошо)";
    EXPECT_EQ(ReadingAsTabLine(line), tabLine);
}

TEST(SignalMeter, HistoryKeepsTheLastSixtyOldestLeft) {
    SignalMeter meter;
    meter.Add(FromAnswer("0,99"));
    for (size_t i = 0; i < kMeterHistoryLength; ++i) meter.Add(FromAnswer("31,99"));
    std::string full;
    for (size_t i = 0; i < kMeterHistoryLength; ++i) full += u8"█";
    EXPECT_EQ(meter.History(), full);   // the lowest, oldest reading has scrolled out
    meter.Add(FromAnswer(nullptr));
    const std::string gap = u8"·";
    EXPECT_EQ(meter.History(), full.substr(3) + gap);
}

// A reading of a family modem: its technology, RSRP (dBm) and RSSI (dBm), band and PCI;
// 0 for what it left unknown. The mode when the reading asked it.
SignalReading Radio(RadioTech tech, double rsrp, double rssi, int band, int pci, const char* mode = nullptr) {
    SignalReading reading = FromAnswer("18,99");
    reading.hasFamily = true;
    reading.radio.tech = tech;
    reading.radio.Get(MetricKind::Rsrp) = Metric{rsrp != 0, rsrp};
    reading.radio.Get(MetricKind::Rssi) = Metric{rssi != 0, rssi};
    reading.radio.band = KnownInt{band != 0, band};
    reading.radio.pci = KnownInt{pci != 0, pci};
    reading.modeAsked = mode != nullptr;
    reading.mode = mode != nullptr ? mode : "";
    return reading;
}

// Each metric on its own (RSSI never averaged with RSRP); band, PCI and mode kept between the
// readings that give them, band and PCI forgotten when the technology changes.
TEST(SignalMeter, RadioFiguresPerMetricAndTheTechnologyChange) {
    SignalMeter meter;
    meter.Add(Radio(RadioTech::Lte, -100, -70, 3, 102, "WCDMA"));
    meter.Add(Radio(RadioTech::Lte, 0, -60, 0, 0, ""));
    meter.Add(Radio(RadioTech::Lte, -90.5, 0, 0, 0));
    EXPECT_TRUE(meter.HasFamily());
    EXPECT_EQ(meter.Track(MetricKind::Rsrp).Count(), 2u);
    EXPECT_DOUBLE_EQ(meter.Track(MetricKind::Rsrp).Average(), -95.25);
    EXPECT_DOUBLE_EQ(meter.Track(MetricKind::Rssi).Min(), -70);
    EXPECT_DOUBLE_EQ(meter.Track(MetricKind::Rssi).Max(), -60);
    EXPECT_EQ(meter.Track(MetricKind::Rsrq).Count(), 0u);
    EXPECT_EQ(meter.Mode(), "WCDMA");   // an empty answer does not forget the last mode
    EXPECT_EQ(meter.Band().value, 3);
    EXPECT_EQ(meter.Pci().value, 102);
    EXPECT_FALSE(meter.LastTechChange().happened);
    const std::string rsrpHistory = u8"▄·▅";   // -100 and -90.5 on the -140..-44 scale
    EXPECT_EQ(meter.Track(MetricKind::Rsrp).History(-140, -44), rsrpHistory);

    SignalReading umts = Radio(RadioTech::Umts, 0, -80, 0, 0);
    umts.unixMs = 1796659201123;
    meter.Add(umts);
    meter.Add(Radio(RadioTech::Unknown, 0, 0, 0, 0));   // unknown is no change
    EXPECT_EQ(meter.Tech(), RadioTech::Umts);
    EXPECT_TRUE(meter.LastTechChange().happened);
    EXPECT_EQ(meter.LastTechChange().from, RadioTech::Lte);
    EXPECT_EQ(meter.LastTechChange().unixMs, 1796659201123);
    EXPECT_FALSE(meter.Band().known);
    EXPECT_FALSE(meter.Pci().known);
    EXPECT_EQ(meter.Summary(), "5 readings, min -77 dBm, avg -77.0 dBm, max -77 dBm\n"
                               "RSRP: min -100 dBm, avg -95.2 dBm, max -90.5 dBm");
}

// EN-DC: the NR leg on a line of its own under the anchor's figures, the carriers kept from
// the reading that listed them and forgotten with a change of technology; the JSON line
// carries the leg as `cell` writes it and the active carriers' count.
TEST(SignalMeter, TheNrLegAndTheCarriersOfEnDc) {
    SignalMeter meter;
    SignalReading endc = Radio(RadioTech::LteNr, -88, -58, 3, 102);
    endc.radio.nr.band = {true, 78};
    endc.radio.nr.pci = {true, 500};
    endc.radio.nr.metrics.Get(MetricKind::Rsrp) = Metric{true, -84};
    endc.radio.nr.metrics.Get(MetricKind::Sinr) = Metric{true, 18.5};
    endc.radio.carriersKnown = true;
    endc.radio.carriers.resize(3);
    endc.radio.carriers[2].state = CarrierState::Inactive;
    meter.Add(endc);
    SignalReading next = endc;
    next.radio.carriersKnown = false;
    next.radio.carriers.clear();
    meter.Add(next);
    const std::vector<std::string> lines = WatchScreenLines(meter, "COM10", 1000, 2000);
    const auto has = [&](const std::string& text) {
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    };
    EXPECT_TRUE(has("  NR leg       RSRP -84 dBm, RSRQ -, SINR 18.5 dB, n78, PCI 500")) << lines[lines.size() - 4];
    EXPECT_TRUE(has("  technology   LTE+NR, band 3, PCI 102, 2 carriers")) << lines[lines.size() - 2];
    const auto json = nlohmann::json::parse(ReadingAsJson(meter.Last(), meter));
    EXPECT_EQ(json["carrier_count"], 2);
    EXPECT_EQ(json["nr"]["rsrp"], -84);
    EXPECT_EQ(json["nr"]["sinr_grade"], "good");
    meter.Add(Radio(RadioTech::Nr5g, -95, 0, 78, 500));
    EXPECT_FALSE(meter.CarriersKnown());
    const std::vector<std::string> standalone = WatchScreenLines(meter, "COM10", 1000, 3000);
    EXPECT_EQ(standalone[standalone.size() - 2].substr(0, 36), "  technology   NR, band n78, PCI 500");
    EXPECT_TRUE(nlohmann::json::parse(ReadingAsJson(meter.Last(), meter))["nr"].is_null());
}

TEST(LiveScreen, LinesAreCutByCharactersNotBytes) {
    const std::string line = u8"  history      ▅··▁█";
    EXPECT_EQ(ColumnsOf(line), 20u);
    EXPECT_EQ(FitToColumns(line, 20), line);
    EXPECT_EQ(FitToColumns(line, 100), line);
    const std::string cut = u8"  history      ▅·";   // outside the macro, as above
    EXPECT_EQ(FitToColumns(line, 17), cut);
    EXPECT_EQ(FitToColumns(line, 0), "");
    EXPECT_EQ(FitToColumns("", 5), "");
}

TEST(LiveScreen, AFrameTakesMoreRowsOnceTheTerminalIsNarrower) {
    const std::vector<size_t> drawn = {49, 0, 71, 72, 10};
    EXPECT_EQ(RowsTakenNow(drawn, 100), 5u);
    EXPECT_EQ(RowsTakenNow(drawn, 72), 5u);
    EXPECT_EQ(RowsTakenNow(drawn, 50), 7u);    // 71 and 72 columns wrap once
    EXPECT_EQ(RowsTakenNow(drawn, 24), 11u);   // 49: 3 rows, 71: 3, 72: 3
    EXPECT_EQ(RowsTakenNow({}, 80), 0u);
}

}  // namespace

namespace {

// The readings' time comes from the one UTC helper: whole seconds from it, milliseconds kept.
TEST(WatchLines, IsoUtcTimeFromMilliseconds) {
    EXPECT_EQ(IsoUtcTime(0), "1970-01-01T00:00:00.000Z");
    EXPECT_EQ(IsoUtcTime(1796660401123), "2026-12-07T16:20:01.123Z");
    EXPECT_EQ(IsoUtcTime(951782399999), "2000-02-28T23:59:59.999Z");
}

}  // namespace
