// Port discovery over COM1 to COM254 against simulated modems.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/discovery.h"
#include "link/serial_port.h"
#include "link/transact.h"
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

TEST(ScanOddModems, ListsWhateverTheFirstLineSays) {
    ProbePorts();
    const std::string longModel = std::string("LongModel!LongModel!").substr(0, 20);
    std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0], "AT+CGMM (COM2)");   // ignores ATE0: its echo is the first line
    EXPECT_EQ(entries[1], "ERROR (COM6)");     // an error reply still means a modem
    EXPECT_EQ(entries[2], " (COM8)");          // empty first line
    EXPECT_EQ(entries[3], " (COM9)");          // "OK" alone is no model
    EXPECT_EQ(entries[4].size(), kPortEntrySize - 1);
    EXPECT_EQ(entries[4].substr(entries[4].size() - 8), " (COM10)");
    EXPECT_EQ(entries[4].substr(0, 20), longModel);
    EXPECT_EQ(entries[5], "X (COM4) (COM11)");
    EXPECT_EQ(entries[6], "E173 (COM254)");    // the last number tried; COM255 never is
    EXPECT_EQ(std::string(ModemList.modelTexts[4]).size(), kModelTextSize - 1);

    char path[kPortEntrySize + 8];
    PortPathFromEntry(entries[4].c_str(), path, sizeof path);
    EXPECT_STREQ(path, "\\\\.\\COM10");
}

// No modem is on COM4 here; the one on COM11 calls itself "X (COM4)".
TEST(ScanOddModems, EntryWhoseModelNamesAnotherPortTalksToItsOwn) {
    char path[kPortEntrySize + 8];
    PortPathFromEntry("X (COM4) (COM11)", path, sizeof path);
    PortHandle port = OpenPort(path);
    ASSERT_NE(port, nullptr) << path;
    ConfigurePort(port);
    const uint32_t count = Transact(port, "AT+CGMM", true, kProbeTimeLimitMs);
    ClosePort(port);
    EXPECT_EQ(std::string(ReplyBuffer, count), "\r\nX (COM4)\r\n\r\nOK\r\n");
}

TEST(ScanBusyPort, IsSkippedWhileHeld) {
#ifdef _WIN32
    GTEST_SKIP() << "Wine does not enforce exclusive opens";
#else
    PortHandle held = OpenPort(ComPath(4).c_str());
    ASSERT_NE(held, nullptr);
    ProbePorts();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)"}));
    ClosePort(held);
    ProbePorts();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)", "E1550 (COM4)"}));
#endif
}

}  // namespace
