// Port discovery over COM1 to COM254 against simulated modems.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/discovery.h"
#include "link/serial_port.h"
#include "tests/support/test_paths.h"

namespace {

std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    char entry[kPortEntrySize];
    for (int i = 0; i < ModemList.count; ++i) {
        FormatPortEntry(i, entry, sizeof entry);
        entries.push_back(entry);
    }
    return entries;
}

long long ScanMs() {
    const auto start = std::chrono::steady_clock::now();
    ProbePorts();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

TEST(ScanTwoModems, ListsBothInPortOrder) {
    ProbePorts();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)", "E1550 (COM12)"}));
    EXPECT_EQ(ModemList.portNumbers[0], 3);
    EXPECT_EQ(ModemList.portNumbers[1], 12);
}

TEST(ScanTwoModems, RescanRebuildsTheListAndReportsProgress) {
    ModemList.count = 99;
    struct Seen {
        int calls = 0;
        int last = 0;
        bool ordered = true;
    } seen;
    SetProbeProgress(
        [](int port, int, void* context) {
            auto* s = static_cast<Seen*>(context);
            s->ordered = s->ordered && port == s->last + 1;
            s->last = port;
            ++s->calls;
        },
        &seen);
    ProbePorts();
    SetProbeProgress(nullptr, nullptr);
    EXPECT_EQ(ModemList.count, 2);
    EXPECT_EQ(seen.calls, 254);
    EXPECT_EQ(seen.last, 254);
    EXPECT_TRUE(seen.ordered);
}

TEST(ScanSilentPort, CostsBothTimeLimitsAndIsNotListed) {
    const long long elapsed = ScanMs();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM5)"}));
    EXPECT_GE(elapsed, 1950);
#ifndef _WIN32
    // Wine adds a silent COM1 of its own; natively the silent port is the only slow one.
    EXPECT_LT(elapsed, 3500);
#endif
}

// Collects the per-port reports of one probe, checking that each arrives before the progress
// call for the same port.
struct Reports {
    std::vector<PortProbeReport> seen;
    std::vector<std::string> openErrors;
    bool beforeProgress = true;

    void Probe() {
        SetProbeReport(
            [](const PortProbeReport& report, void* context) {
                auto* self = static_cast<Reports*>(context);
                self->seen.push_back(report);
                self->openErrors.push_back(report.openError);
            },
            this);
        SetProbeProgress(
            [](int port, int, void* context) {
                auto* self = static_cast<Reports*>(context);
                self->beforeProgress = self->beforeProgress && !self->seen.empty() &&
                                       self->seen.back().portNumber == port;
            },
            this);
        ProbePorts();
        SetProbeReport(nullptr, nullptr);
        SetProbeProgress(nullptr, nullptr);
    }
};

TEST(ScanSilentPort, ReportSaysWhatEachPortDid) {
    Reports reports;
    reports.Probe();
    ASSERT_EQ(reports.seen.size(), 254u);
    EXPECT_TRUE(reports.beforeProgress);
    const PortProbeReport& silent = reports.seen[3];
    EXPECT_EQ(silent.portNumber, 4);
    EXPECT_EQ(silent.outcome, ProbeOutcome::Silent);
    EXPECT_EQ(silent.modelCount, 0u);
    EXPECT_GE(silent.elapsedMs, 1950u);
    EXPECT_EQ(silent.slot, -1);
    const PortProbeReport& modem = reports.seen[4];
    EXPECT_EQ(modem.outcome, ProbeOutcome::Listed);
    EXPECT_EQ(modem.slot, 0);
    EXPECT_GT(modem.echoOffCount, 0u);
    EXPECT_GT(modem.modelCount, 0u);
    EXPECT_LT(modem.elapsedMs, 1000u);
    EXPECT_EQ(reports.seen[5].outcome, ProbeOutcome::NoDevice);
    EXPECT_EQ(reports.seen[253].outcome, ProbeOutcome::NoDevice);
    EXPECT_EQ(reports.openErrors[253], "");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM5)"}));   // the probe is unchanged
}

TEST(ScanOddModems, ListsWhateverTheFirstLineSays) {
    ProbePorts();
    const std::string longModel = std::string("LongModel!LongModel!").substr(0, 20);
    std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0], "AT+CGMM (COM2)");   // ignores ATE0: its echo is the first line
    EXPECT_EQ(entries[1], "ERROR (COM6)");     // an error reply still means a modem
    EXPECT_EQ(entries[2], " (COM8)");          // empty first line
    EXPECT_EQ(entries[3], " (COM9)");          // "OK" alone is no model
    EXPECT_EQ(entries[4].size(), kPortEntrySize - 1);
    EXPECT_EQ(entries[4].substr(entries[4].size() - 8), " (COM10)");
    EXPECT_EQ(entries[4].substr(0, 20), longModel);
    EXPECT_EQ(entries[5], "E173 (COM254)");    // the last number tried; COM255 never is
    EXPECT_EQ(std::string(ModemList.modelTexts[4]).size(), kModelTextSize - 1);

    char path[kPortEntrySize + 8];
    PortPathFromEntry(entries[4].c_str(), path, sizeof path);
    EXPECT_STREQ(path, "\\\\.\\COM10");
}

TEST(ScanBusyPort, IsSkippedWhileHeld) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine does not enforce exclusive opens";
#else
    PortHandle held = OpenPort(ComPath(4).c_str());
    ASSERT_NE(held, nullptr);
    ProbePorts();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)"}));
    Reports reports;
    reports.Probe();
    ASSERT_EQ(reports.seen.size(), 254u);
    EXPECT_EQ(reports.seen[3].outcome, ProbeOutcome::OpenFailed);
    EXPECT_NE(reports.openErrors[3], "");   // the system's reason
    ClosePort(held);
    ProbePorts();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)", "E1550 (COM4)"}));
#endif
}

}  // namespace
