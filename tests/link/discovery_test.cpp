// Port discovery over COM1 to COM254 against simulated modems.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/discovery.h"

#ifndef _WIN32
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "link/port_holders_posix.h"
#endif
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

#ifndef _WIN32
// Another program that has a port open: `sleep` with the device as its standard input.
class HolderProcess {
public:
    explicit HolderProcess(const std::string& device) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK, 0);
        char sleepName[] = "sleep";
        char seconds[] = "120";
        char* argv[] = {sleepName, seconds, nullptr};
        if (posix_spawnp(&pid_, "sleep", &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~HolderProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t Pid() const { return pid_; }
    // Waits until the child runs `sleep` with the device open.
    bool HasOpened(const std::string& device) const {
        const std::string fd0 = "/proc/" + std::to_string(pid_) + "/fd/0";
        const std::string comm = "/proc/" + std::to_string(pid_) + "/comm";
        for (int i = 0; i < 500; ++i) {
            char target[512];
            const ssize_t n = readlink(fd0.c_str(), target, sizeof target - 1);
            std::ifstream name(comm);
            std::string command;
            std::getline(name, command);
            if (n > 0 && std::string(target, static_cast<size_t>(n)) == device && command == "sleep") return true;
            usleep(10 * 1000);
        }
        return false;
    }

private:
    pid_t pid_ = -1;
};

std::string SimulatedDevice(int portNumber) {
    return std::string(std::getenv("VESMARIN_PORTS")) + "/com" + std::to_string(portNumber);
}

std::string RealDevice(int portNumber) {
    char real[PATH_MAX];
    return realpath(SimulatedDevice(portNumber).c_str(), real) ? real : "";
}

std::string LastError() {
    char reason[512] = {};
    PortErrorText(reason, sizeof reason);
    return reason;
}

TEST(ScanBusyPort, HeldByAnotherProgramIsRefusedByNameAndSkipped) {
    const std::string device = RealDevice(4);
    ASSERT_FALSE(device.empty());
    {
        HolderProcess holder(device);
        ASSERT_GT(holder.Pid(), 0);
        ASSERT_TRUE(holder.HasOpened(device));
        EXPECT_EQ(OpenPort(ComPath(4).c_str()), nullptr);
        EXPECT_EQ(LastError(),
                  SimulatedDevice(4) + " is in use by sleep (pid " + std::to_string(holder.Pid()) + ")");
        ProbePorts();
        EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)"}));
    }
    // The simulator itself, which serves the other end of the line, is no holder.
    PortHandle port = OpenPort(ComPath(4).c_str());
    EXPECT_NE(port, nullptr) << LastError();
    ClosePort(port);
}

TEST(ScanBusyPort, LockFileOfALiveProcessRefusesAndAStaleOneIsReplaced) {
    char lockPath[512];
    ASSERT_NE(std::getenv("VESMARIN_LOCK_DIR"), nullptr) << "run-with-modems.sh sets it";
    ASSERT_TRUE(LockFilePathFor(RealDevice(4).c_str(), lockPath, sizeof lockPath));
    const auto writeLock = [&](pid_t pid) {
        std::ofstream lock(lockPath, std::ios::trunc);
        lock << std::string(10 - std::min<size_t>(10, std::to_string(pid).size()), ' ') << pid << "\n";
    };
    const auto readLock = [&] {
        std::ifstream lock(lockPath);
        std::string text;
        std::getline(lock, text);
        return text;
    };

    pid_t gone = 0;
    {
        HolderProcess dialer("/dev/null");   // holds the lock, not the device
        ASSERT_TRUE(dialer.HasOpened("/dev/null"));
        writeLock(dialer.Pid());
        EXPECT_EQ(OpenPort(ComPath(4).c_str()), nullptr);
        EXPECT_EQ(LastError(), SimulatedDevice(4) + " is in use by sleep (pid " + std::to_string(dialer.Pid()) +
                                   "), lock file " + lockPath);
        ProbePorts();
        EXPECT_EQ(Entries(), (std::vector<std::string>{"E173 (COM3)"}));
        gone = dialer.Pid();
    }
    // Once its process is gone the lock is stale: the port opens and the lock becomes ours.
    writeLock(gone);
    PortHandle port = OpenPort(ComPath(4).c_str());
    ASSERT_NE(port, nullptr) << LastError();
    EXPECT_EQ(std::stoi(readLock()), static_cast<int>(getpid()));
    ClosePort(port);
    EXPECT_NE(access(lockPath, F_OK), 0) << "the lock outlived the port";
}
#endif

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
