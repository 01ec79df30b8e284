// The real modemsim binary on real pseudo-terminals, driven the way clients drive it. Time
// limits are generous: the machine is shared and small.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/modemsim/simulator_process.h"
#include "tools/modemsim/transcript_log.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string LinkTarget(const std::string& path) {
    char target[512];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    return n < 0 ? std::string() : std::string(target, static_cast<size_t>(n));
}

// A simulator with one temporary profile on COM5 (and optionally more ports).
class SimulatorTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        ports_ = dir_.Path() + "/dosdevices";
        logs_ = dir_.Path() + "/logs";
        ASSERT_EQ(mkdir(ports_.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(logs_.c_str(), 0755), 0);
    }

    void StartWith(const std::string& profileText) {
        const std::string profile = dir_.WriteFile("test.profile", profileText);
        ASSERT_TRUE(simulator_.Start({"--ports", ports_, "--log", logs_, "5=" + profile}))
            << simulator_.Stderr();
    }

    std::string Port(int number) const { return ports_ + "/com" + std::to_string(number); }

    TempDir dir_;
    std::string ports_;
    std::string logs_;
    SimulatorProcess simulator_;
};

TEST_F(SimulatorTest, PrintsReadyAndLinksThePort) {
    StartWith("AT => \\r\\nOK\\r\\n\n");
    EXPECT_EQ(simulator_.Stdout(), "ready\n");
    EXPECT_EQ(LinkTarget(Port(5)).rfind("/dev/pts/", 0), 0u) << LinkTarget(Port(5));
    EXPECT_EQ(simulator_.Stop(SIGTERM), 0);
}

TEST_F(SimulatorTest, EchoOnSendsCommandThenReply) {
    StartWith("echo on\nAT+CSQ => \\r\\n+CSQ: 18,99\\r\\n\\r\\nOK\\r\\n\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(port.Write("AT+CSQ\r"));
    EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "AT+CSQ\r\r\n+CSQ: 18,99\r\n\r\nOK\r\n");
}

TEST_F(SimulatorTest, EchoOffSendsOnlyTheReply) {
    StartWith("echo off\nAT => \\r\\nOK\\r\\n\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("AT\r"));
    EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "\r\nOK\r\n");
}

TEST_F(SimulatorTest, Ate0IsEchoedThenEchoStaysOffAcrossReopen) {
    StartWith("echo on\nAT => \\r\\nOK\\r\\n\n");
    {
        PortClient port(Port(5));
        ASSERT_TRUE(port.Write("ATE0\r"));
        EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "ATE0\r\r\nOK\r\n");
        ASSERT_TRUE(port.Write("AT\r"));
        EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "\r\nOK\r\n");
    }
    // A new client finds the modem as the last one left it, as with a real modem.
    PortClient again(Port(5));
    ASSERT_TRUE(again.IsOpen());
    ASSERT_TRUE(again.Write("AT\r"));
    EXPECT_EQ(again.ReadUntil("OK\r\n", 3000), "\r\nOK\r\n");
    ASSERT_TRUE(again.Write("ATE1\r"));
    EXPECT_EQ(again.ReadUntil("OK\r\n", 3000), "\r\nOK\r\n");
    again.Close();
    PortClient third(Port(5));
    ASSERT_TRUE(third.Write("AT\r"));
    EXPECT_EQ(third.ReadUntil("OK\r\n", 3000), "AT\r\r\nOK\r\n");
}

TEST_F(SimulatorTest, EchoAlwaysIgnoresAte0) {
    StartWith("echo always\nAT => \\r\\nOK\\r\\n\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("ATE0\r"));
    EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "ATE0\r\r\nOK\r\n");
    ASSERT_TRUE(port.Write("AT\r"));
    EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "AT\r\r\nOK\r\n");
}

TEST_F(SimulatorTest, OutputNobodyReadIsDroppedWhenThePortCloses) {
    StartWith("echo off\nlatency 0\nSLOW => {pause 300}late\nFAST => unread\nAT => ok\n");
    {
        PortClient first(Port(5));
        ASSERT_TRUE(first.Write("FAST\r"));
        usleep(200 * 1000);  // the reply waits unread in the port
        ASSERT_TRUE(first.Write("SLOW\r"));
    }  // closed before SLOW's reply comes
    usleep(600 * 1000);
    PortClient second(Port(5));
    ASSERT_TRUE(second.Write("AT\r"));
    EXPECT_EQ(second.ReadQuiet(300, 3000), "ok");
}

TEST_F(SimulatorTest, ExclusiveModeEndsWithTheLastClose) {
    StartWith("AT => ok\n");
    {
        PortClient first(Port(5));
        ASSERT_EQ(ioctl(first.Fd(), TIOCEXCL), 0);
    }
    usleep(100 * 1000);
    // Only root may open a port in exclusive mode, so ask the port instead of trying.
    PortClient second(Port(5));
    ASSERT_TRUE(second.IsOpen());
    int exclusive = -1;
    ASSERT_EQ(ioctl(second.Fd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

// Opens and closes that meet unread in the event queue merge; the client that stays must
// still be answered. First made certain by holding the simulator still while two clients
// open and one closes, then at random by two processes opening and closing at full speed.
TEST_F(SimulatorTest, ClientThatStaysIsAnsweredWhateverOthersOpenAndClose) {
    StartWith("echo off\nlatency 0\nAT => ok\n");
    PortClient stays(Port(5));
    ASSERT_TRUE(stays.Write("AT\r"));
    ASSERT_EQ(stays.ReadUntil("ok", 3000), "ok");

    ASSERT_EQ(kill(simulator_.Pid(), SIGSTOP), 0);
    auto first = std::make_unique<PortClient>(Port(5));
    PortClient second(Port(5));
    first.reset();
    ASSERT_EQ(kill(simulator_.Pid(), SIGCONT), 0);
    ASSERT_TRUE(stays.Write("AT\r"));
    ASSERT_EQ(stays.ReadUntil("ok", 3000), "ok");
    second.Close();
    usleep(200 * 1000);   // the close is taken before the command; the survivor must not count as gone
    ASSERT_TRUE(stays.Write("AT\r"));
    EXPECT_EQ(stays.ReadUntil("ok", 3000), "ok") << "after the merged opens";

    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            for (int i = 0; i < 300; ++i) close(open(Port(5).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
            _exit(0);
        }
    }
    for (pid_t child : children) waitpid(child, nullptr, 0);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(stays.Write("AT\r"));
        EXPECT_EQ(stays.ReadUntil("ok", 3000), "ok") << "after the rapid opens, round " << round;
    }
    stays.Close();
    // Once the last client is gone, what the modem sends is dropped again.
    {
        PortClient writer(Port(5));
        ASSERT_TRUE(writer.Write("AT\r"));
    }
    usleep(300 * 1000);
    PortClient later(Port(5));
    EXPECT_EQ(later.ReadQuiet(200, 1000), "");
}

TEST_F(SimulatorTest, SilentPortOpensButNeverAnswers) {
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "7=" + BundledProfile("silent.profile")}))
        << simulator_.Stderr();
    PortClient port(Port(7));
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(port.Write("ATE0\rAT+CGMM\r\rATI\r"));
    EXPECT_EQ(port.ReadQuiet(400, 400), "");
}

TEST_F(SimulatorTest, LatencyIsHonoured) {
    StartWith("echo off\nlatency 300\nAT => \\r\\nOK\\r\\n\n");
    PortClient port(Port(5));
    const long long start = NowMs();
    ASSERT_TRUE(port.Write("AT\r"));
    const std::string first = port.ReadCount(1, 5000);
    const long long elapsed = NowMs() - start;
    EXPECT_EQ(first.substr(0, 1), "\r");
    EXPECT_GE(elapsed, 280);
    EXPECT_LT(elapsed, 3000);
}

TEST_F(SimulatorTest, PauseSplitsTheReplyInTime) {
    StartWith("echo off\nlatency 0\nAT^SYSINFO => ^SYSINFO:2,3,{pause 400}0,5\\r\\n\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("AT^SYSINFO\r"));
    EXPECT_EQ(port.ReadUntil("2,3,", 3000), "^SYSINFO:2,3,");
    const long long firstPart = NowMs();
    EXPECT_EQ(port.ReadUntil("\r\n", 5000), "0,5\r\n");
    const long long gap = NowMs() - firstPart;
    EXPECT_GE(gap, 350);
    EXPECT_LT(gap, 4000);
}

TEST_F(SimulatorTest, FloodReachesASlowReaderCompleteAndInOrder) {
    StartWith("echo off\nlatency 0\nAT+FLOOD => {repeat 7000 0123456789}\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("AT+FLOOD\r"));
    std::string received;
    const long long deadline = NowMs() + 20000;
    char buffer[1000];
    while (received.size() < 70000 && NowMs() < deadline) {
        pollfd pfd{port.Fd(), POLLIN, 0};
        if (poll(&pfd, 1, 200) <= 0) continue;
        const ssize_t n = read(port.Fd(), buffer, sizeof buffer);
        if (n > 0) received.append(buffer, static_cast<size_t>(n));
        usleep(1000);  // a slow reader lets the pty fill up
    }
    ASSERT_EQ(received.size(), 70000u);
    for (size_t i = 0; i < received.size(); ++i)
        ASSERT_EQ(received[i], static_cast<char>('0' + i % 10)) << "at byte " << i;
    EXPECT_EQ(port.ReadQuiet(100, 100), "");
}

TEST_F(SimulatorTest, CommandsSentBackToBackAreAnsweredInOrder) {
    StartWith("echo on\nlatency 20\nA1 => \\r\\none\\r\\n\nA2 => {pause 100}\\r\\ntwo\\r\\n\nA3 => \\r\\nthree\\r\\n\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("A1\rA2\r\nA3\r"));
    EXPECT_EQ(port.ReadUntil("three\r\n", 5000), "A1\r\r\none\r\nA2\r\r\ntwo\r\nA3\r\r\nthree\r\n");
}

TEST_F(SimulatorTest, ManyCommandsWhileReadingAreAllAnswered) {
    StartWith("echo off\nlatency 0\nAT => \\r\\nOK\\r\\n\n");
    PortClient port(Port(5));
    const int commands = 3000;
    std::string toSend;
    for (int i = 0; i < commands; ++i) toSend += "AT\r";
    std::string received;
    size_t sent = 0;
    const std::string expected = [&] {
        std::string all;
        for (int i = 0; i < commands; ++i) all += "\r\nOK\r\n";
        return all;
    }();
    const long long deadline = NowMs() + 20000;
    char buffer[4096];
    while (received.size() < expected.size() && NowMs() < deadline) {
        pollfd pfd{port.Fd(), static_cast<short>(POLLIN | (sent < toSend.size() ? POLLOUT : 0)), 0};
        if (poll(&pfd, 1, 200) <= 0) continue;
        if ((pfd.revents & POLLOUT) && sent < toSend.size()) {
            const ssize_t n = write(port.Fd(), toSend.data() + sent, std::min<size_t>(toSend.size() - sent, 512));
            if (n > 0) sent += static_cast<size_t>(n);
        }
        if (pfd.revents & POLLIN) {
            const ssize_t n = read(port.Fd(), buffer, sizeof buffer);
            if (n > 0) received.append(buffer, static_cast<size_t>(n));
        }
    }
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
}

TEST_F(SimulatorTest, SeveralPortsPlayTheirOwnProfiles) {
    const std::string a = dir_.WriteFile("a.profile", "echo off\nAT+CGMM => \\r\\nE173\\r\\n\n");
    const std::string b = dir_.WriteFile("b.profile", "echo off\nAT+CGMM => \\r\\nE1550\\r\\n\n");
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "3=" + a, "12=" + b, "255=" + a}))
        << simulator_.Stderr();
    PortClient com3(Port(3));
    PortClient com12(Port(12));
    PortClient com255(Port(255));
    ASSERT_TRUE(com12.Write("AT+CGMM\r"));
    ASSERT_TRUE(com3.Write("AT+CGMM\r"));
    ASSERT_TRUE(com255.Write("AT+CGMM\r"));
    EXPECT_EQ(com12.ReadUntil("\r\n", 3000), "\r\nE1550\r\n");
    EXPECT_EQ(com3.ReadUntil("\r\n", 3000), "\r\nE173\r\n");
    EXPECT_EQ(com255.ReadUntil("\r\n", 3000), "\r\nE173\r\n");
    EXPECT_FALSE(Exists(Port(1)));
}

TEST_F(SimulatorTest, FullStickAnswersEveryQueryOfTheInformationRun) {
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "5=" + BundledProfile("full-stick.profile")}))
        << simulator_.Stderr();
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("ATE0\r"));
    EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "ATE0\r\r\nOK\r\n");
    struct Query {
        const char* command;
        const char* expected;  // a piece of the answer
    };
    const Query queries[] = {
        {"ATI", "Manufacturer: "}, {"ATI", "\r\nModel: E173\r\n"}, {"ATI", "Revision: "},
        {"ATI", "IMEI: "}, {"ATI", "+GCAP: "}, {"AT^FHVER", "^FHVER:"},
        {"AT+CGMI", "\r\n"}, {"AT+CGMM", "\r\nE173\r\n"}, {"AT+CGMR", "\r\n"},
        {"AT+CIMI", "\r\n"}, {"AT+CGSN", "\r\n"}, {"AT^HWVER", "^HWVER:"},
        {"AT^SYSINFO", "^SYSINFO:2,3,0,5,1,,4\r\n"}, {"AT+CPIN?", "+CPIN: READY"},
        {"AT+CFUN?", "+CFUN: 1"}, {"AT+CSQ", "+CSQ: "}, {"AT+COPS?", "+COPS: 0,0,\""},
        {"AT^SYSCFG?", "^SYSCFG:"}, {"AT^VERSION?", "^VERSION:BDT:"},
        {"AT^VERSION?", "^VERSION:EXTD:"}, {"AT^CARDLOCK?", "^CARDLOCK: 2,10,0"},
    };
    for (const Query& query : queries) {
        ASSERT_TRUE(port.Write(std::string(query.command) + "\r"));
        const std::string reply = port.ReadUntil("\r\nOK\r\n", 3000);
        EXPECT_NE(reply.find(query.expected), std::string::npos) << query.command << ": " << reply;
        EXPECT_EQ(reply.find("ERROR"), std::string::npos) << query.command;
    }
}

TEST_F(SimulatorTest, OldStickRejectsEveryCaretCommand) {
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "5=" + BundledProfile("old-stick.profile")}))
        << simulator_.Stderr();
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("ATE0\r"));
    port.ReadUntil("OK\r\n", 3000);
    for (const char* command : {"AT^FHVER", "AT^HWVER", "AT^SYSINFO", "AT^SYSCFG?", "AT^VERSION?",
                                "AT^CARDLOCK?", "AT^ANYTHING"}) {
        ASSERT_TRUE(port.Write(std::string(command) + "\r"));
        EXPECT_EQ(port.ReadUntil("ERROR\r\n", 3000), "\r\nERROR\r\n") << command;
    }
    ASSERT_TRUE(port.Write("AT+CGMM\r"));
    EXPECT_EQ(port.ReadUntil("OK\r\n", 3000), "\r\nE1550\r\n\r\nOK\r\n");
}

TEST_F(SimulatorTest, LogRecordsEveryByteWithTimeAndDirection) {
    StartWith("echo on\nlatency 5\nAT+CSQ => \\r\\n+CSQ: 18,99\\r\\n\\r\\nOK\\r\\n\n");
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write(std::string("AT+CSQ\r\x01\\", 9)));
    port.ReadUntil("OK\r\n", 3000);
    port.ReadQuiet(100, 300);
    // Read while the simulator still runs: the log must already be on disk.
    const std::string log = ReadWholeFile(logs_ + "/com5.log");
    EXPECT_EQ(log.rfind("# modemsim COM5 on /dev/pts/", 0), 0u) << log;
    EXPECT_NE(log.find(" rx AT+CSQ\\r\\x01\\\\\n"), std::string::npos) << log;
    // The echo and the reply in one write.
    EXPECT_NE(log.find(" tx AT+CSQ\\r\\r\\n+CSQ: 18,99\\r\\n\\r\\nOK\\r\\n\n"), std::string::npos) << log;
    // Each record starts with seconds and milliseconds since the simulator started.
    const size_t rx = log.find(" rx AT+CSQ");
    const size_t lineStart = log.rfind('\n', rx) + 1;
    const std::string stamp = log.substr(lineStart, rx - lineStart);
    ASSERT_GE(stamp.size(), 5u);
    EXPECT_EQ(stamp[stamp.size() - 4], '.') << stamp;
    EXPECT_EQ(simulator_.Stop(SIGINT), 0);
    EXPECT_TRUE(Exists(logs_ + "/com5.log"));  // the transcript outlives the simulator
}

// The bundled example of settings: a reader switches the registration reports on, gets the
// location form and a report, and puts the mode back; the transcript ends with the value.
TEST_F(SimulatorTest, SettingChangedBySetCommandShowsInRepliesAndTranscript) {
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "--log", logs_,
                                  "5=" + BundledProfile("registration-reports.profile")}))
        << simulator_.Stderr();
    PortClient port(Port(5));
    const struct {
        const char* command;
        const char* expected;   // up to and including the reply's last line
    } steps[] = {
        {"AT+CEREG?", "AT+CEREG?\r\r\n+CEREG: 0,1\r\n\r\nOK\r\n"},
        {"AT+CEREG=2", "AT+CEREG=2\r\r\nOK\r\n\r\n+CEREG: 1,\"2F1A\",\"01A2D101\",7\r\n"},
        {"AT+CEREG?", "AT+CEREG?\r\r\n+CEREG: 2,1,\"2F1A\",\"01A2D101\",7\r\n\r\nOK\r\n"},
        {"AT+CEREG=9", "AT+CEREG=9\r\r\nERROR\r\n"},
        {"AT+CEREG=0", "AT+CEREG=0\r\r\nOK\r\n"},
        {"AT+COPS=3,2", "AT+COPS=3,2\r\r\nOK\r\n"},
        {"AT+COPS?", "AT+COPS?\r\r\n+COPS: 0,2,\"00101\",7\r\n\r\nOK\r\n"},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(port.Write(std::string(step.command) + "\r"));
        const std::string expected = step.expected;
        EXPECT_EQ(port.ReadUntil(expected.substr(expected.size() - 6), 5000), expected) << step.command;
    }
    EXPECT_EQ(port.ReadQuiet(200, 1000), "");   // no report once they are off again
    EXPECT_EQ(simulator_.Stop(SIGTERM), 0);
    const std::string log = ReadWholeFile(logs_ + "/com5.log");
    EXPECT_NE(log.find("-- settings at the end: cereg=0 copsfmt=2\n"), std::string::npos) << log;
}

TEST_F(SimulatorTest, UnpluggedModemHangsUpItsClientAndIsGone) {
    const std::string profile = dir_.WriteFile("p.profile", "echo off\nlatency 0\nunplug AT+GONE\nAT => ok\n");
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "--log", logs_, "5=" + profile, "6=" + profile}))
        << simulator_.Stderr();
    PortClient port(Port(5));
    ASSERT_TRUE(port.Write("AT\r"));
    EXPECT_EQ(port.ReadUntil("ok", 3000), "ok");
    ASSERT_TRUE(port.Write("AT+GONE\r"));
    pollfd hangUp{port.Fd(), POLLIN, 0};
    ASSERT_EQ(poll(&hangUp, 1, 5000), 1);
    EXPECT_NE(hangUp.revents & (POLLHUP | POLLERR), 0) << hangUp.revents;
    char byte = 0;
    EXPECT_LE(read(port.Fd(), &byte, 1), 0);
    EXPECT_FALSE(Exists(Port(5)));
    EXPECT_FALSE(PortClient(Port(5)).IsOpen());
    // The other port plays on.
    PortClient other(Port(6));
    ASSERT_TRUE(other.Write("AT\r"));
    EXPECT_EQ(other.ReadUntil("ok", 3000), "ok");
    EXPECT_NE(simulator_.Stderr().find("COM5 unplugged"), std::string::npos) << simulator_.Stderr();
    EXPECT_NE(ReadWholeFile(logs_ + "/com5.log").find(" -- unplugged"), std::string::npos);
    EXPECT_EQ(simulator_.Stop(SIGTERM), 0);
    EXPECT_FALSE(Exists(Port(6)));
}

TEST_F(SimulatorTest, TranscriptRecordsTheStartOfAFloodAndSaysHowMuchMoreWentOut) {
    StartWith("echo off\nlatency 0\nAT+FLOOD => {repeat 100000 0123456789}\nAT => ok\n");
    {
        PortClient first(Port(5));
        ASSERT_TRUE(first.Write("AT+FLOOD\r"));
    }  // gone before the flood is out: the rest of it is dropped
    // The transcript says when the flood is over.
    const std::string more = std::to_string(1000000 - kMaxRecordedReplyBytes) + " more bytes were sent";
    std::string log;
    for (const long long deadline = NowMs() + 20000; NowMs() < deadline; usleep(20 * 1000)) {
        log = ReadWholeFile(logs_ + "/com5.log");
        if (log.find(more) != std::string::npos) break;
    }
    EXPECT_NE(log.find(more), std::string::npos) << log.substr(log.size() > 300 ? log.size() - 300 : 0);
    EXPECT_LT(log.size(), kMaxRecordedReplyBytes + 4096);
    EXPECT_NE(log.find("the rest of this reply is sent but not recorded"), std::string::npos);
    // The next reply is recorded again.
    PortClient second(Port(5));
    ASSERT_TRUE(second.Write("AT\r"));
    EXPECT_EQ(second.ReadUntil("ok", 5000), "ok");
    usleep(100 * 1000);
    EXPECT_NE(ReadWholeFile(logs_ + "/com5.log").find(" tx ok\n"), std::string::npos);
}

// A 64 MiB flood to a port nobody has open goes out as fast as the pty takes it, which is
// at once; it used to keep every other port waiting until all of it was out.
TEST_F(SimulatorTest, FloodOnOnePortDoesNotHoldUpAnother) {
    const std::string flood = dir_.WriteFile("flood.profile", "echo off\nlatency 0\nAT+FLOOD => {repeat 6710886 0123456789}\n");
    const std::string quick = dir_.WriteFile("quick.profile", "echo off\nlatency 0\nAT => ok\n");
    ASSERT_TRUE(simulator_.Start({"--ports", ports_, "--log", logs_, "5=" + flood, "6=" + quick}, 20000))
        << simulator_.Stderr();
    PortClient other(Port(6));
    ASSERT_TRUE(other.IsOpen());
    {
        PortClient flooded(Port(5));
        ASSERT_TRUE(flooded.Write("AT+FLOOD\r"));
        usleep(50 * 1000);  // the flood is under way
    }
    const long long start = NowMs();
    ASSERT_TRUE(other.Write("AT\r"));
    EXPECT_EQ(other.ReadUntil("ok", 20000), "ok");
    // Sending all of the flood first took about a second here, many more with a slow disk.
    EXPECT_LT(NowMs() - start, 300);
}

// Sending a reply used to begin with a copy of it; for a large reply the copy alone outlasted
// the 50 ms of silence that end a client's read, so the client saw only the echo.
TEST_F(SimulatorTest, LargeReplyStartsAsSoonAsASmallOne) {
    StartWith("echo on\nlatency 0\nAT+BIG => {repeat 6000000 0123456789}\n");
    PortClient port(Port(5));
    const long long start = NowMs();
    ASSERT_TRUE(port.Write("AT+BIG\r"));
    const std::string head = port.ReadCount(8, 5000).substr(0, 8);
    const long long elapsed = NowMs() - start;
    EXPECT_EQ(head, "AT+BIG\r0");
    EXPECT_LT(elapsed, 100);
}

TEST_F(SimulatorTest, SignalsRemoveOnlyTheLinksItMade) {
    // An old link of the same name is replaced; the other names in the directory stay.
    ASSERT_EQ(symlink("/nonexistent", Port(5).c_str()), 0);
    ASSERT_EQ(symlink("/dev/null", Port(6).c_str()), 0);
    dir_.WriteFile("dosdevices/c:", "");
    StartWith("AT => ok\n");
    EXPECT_EQ(LinkTarget(Port(5)).rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(simulator_.Stop(SIGTERM), 0);
    EXPECT_FALSE(Exists(Port(5)));
    EXPECT_EQ(LinkTarget(Port(6)), "/dev/null");
    EXPECT_TRUE(Exists(ports_ + "/c:"));
}

TEST_F(SimulatorTest, LinkReplacedBySomeoneElseIsLeftAlone) {
    StartWith("AT => ok\n");
    ASSERT_EQ(unlink(Port(5).c_str()), 0);
    ASSERT_EQ(symlink("/dev/null", Port(5).c_str()), 0);
    EXPECT_EQ(simulator_.Stop(SIGTERM), 0);
    EXPECT_EQ(LinkTarget(Port(5)), "/dev/null");
}

TEST_F(SimulatorTest, StopsOnEachStopSignal) {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SimulatorProcess simulator;
        const std::string profile = dir_.WriteFile("p.profile", "AT => ok\n");
        ASSERT_TRUE(simulator.Start({"--ports", ports_, "9=" + profile})) << simulator.Stderr();
        EXPECT_TRUE(Exists(Port(9)));
        EXPECT_EQ(simulator.Stop(signalNumber), 0) << signalNumber;
        EXPECT_FALSE(Exists(Port(9))) << signalNumber;
    }
}

struct BadStart {
    const char* name;
    std::vector<std::string> arguments;  // $PORTS, $LOGS and $DIR stand for the test's folders
    const char* message;                 // a piece of the message on stderr
};

class SimulatorBadStartTest : public SimulatorTest, public testing::WithParamInterface<BadStart> {};

TEST_P(SimulatorBadStartTest, ExitsWithTwoAndLeavesNothing) {
    dir_.WriteFile("good.profile", "AT => ok\n");
    dir_.WriteFile("bad.profile", "# a profile\necho on\nATI => \\r\\nOK\\q\n");
    dir_.WriteFile("dosdevices/com8", "a file, not a link");
    std::vector<std::string> arguments;
    for (std::string argument : GetParam().arguments) {
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"$PORTS", ports_},
                                          {"$LOGS", logs_}, {"$DIR", dir_.Path()}}) {
            const size_t at = argument.find(name);
            if (at != std::string::npos) argument.replace(at, name.size(), value);
        }
        arguments.push_back(argument);
    }
    EXPECT_FALSE(simulator_.Start(arguments));
    EXPECT_EQ(simulator_.WaitExit(), 2);
    EXPECT_EQ(simulator_.Stdout(), "");
    EXPECT_NE(simulator_.Stderr().find(GetParam().message), std::string::npos) << simulator_.Stderr();
    EXPECT_FALSE(Exists(Port(5)));
    EXPECT_FALSE(Exists(logs_ + "/com5.log"));
    EXPECT_EQ(ReadWholeFile(Port(8)), "a file, not a link");
}

const BadStart kBadStarts[] = {
    {"BadProfileNamesFileAndLine", {"--ports", "$PORTS", "--log", "$LOGS", "5=$DIR/good.profile", "6=$DIR/bad.profile"},
     "bad.profile:3: unknown escape \\q"},
    {"MissingProfile", {"--ports", "$PORTS", "5=$DIR/none.profile"}, "none.profile: No such file or directory"},
    {"NoPortsOption", {"5=$DIR/good.profile"}, "--ports DIR is required"},
    {"PortsNotADirectory", {"--ports", "$DIR/good.profile", "5=$DIR/good.profile"}, "not a directory"},
    {"MissingPortsDirectory", {"--ports", "$DIR/nowhere", "5=$DIR/good.profile"}, "No such file or directory"},
    {"MissingLogDirectory", {"--ports", "$PORTS", "--log", "$DIR/nowhere", "5=$DIR/good.profile"}, "--log"},
    {"PortZero", {"--ports", "$PORTS", "0=$DIR/good.profile"}, "outside 1 to 255"},
    {"Port256", {"--ports", "$PORTS", "256=$DIR/good.profile"}, "outside 1 to 255"},
    {"PortHuge", {"--ports", "$PORTS", "99999999999999=$DIR/good.profile"}, "outside 1 to 255"},
    {"PortWithoutNumber", {"--ports", "$PORTS", "=$DIR/good.profile"}, "expected N=PROFILE"},
    {"PortNotANumber", {"--ports", "$PORTS", "x5=$DIR/good.profile"}, "not a decimal number"},
    {"PortTwice", {"--ports", "$PORTS", "5=$DIR/good.profile", "5=$DIR/good.profile"}, "port 5 is given twice"},
    {"NoPorts", {"--ports", "$PORTS"}, "no N=PROFILE given"},
    {"NoProfileAfterEquals", {"--ports", "$PORTS", "5="}, "no profile given"},
    {"UnknownOption", {"--ports", "$PORTS", "--fast", "5=$DIR/good.profile"}, "not expected: --fast"},
    {"CommandMissingAfterDashes", {"--ports", "$PORTS", "5=$DIR/good.profile", "--"}, "-- must be followed by a COMMAND"},
    {"BadProfileWithCommand", {"--ports", "$PORTS", "6=$DIR/bad.profile", "--", "touch", "$DIR/ran"},
     "bad.profile:3:"},
    {"FileWhereTheLinkGoes", {"--ports", "$PORTS", "--log", "$LOGS", "5=$DIR/good.profile", "8=$DIR/good.profile"},
     "com8: exists and is not a symbolic link"},
};

INSTANTIATE_TEST_SUITE_P(Arguments, SimulatorBadStartTest, testing::ValuesIn(kBadStarts),
                         [](const testing::TestParamInfo<BadStart>& param) { return param.param.name; });

// Misuse of the command line: exit 2 and exactly two lines, the reason and where help is.
TEST(SimulatorMisuse, ExitsWithTwoAndTheSameTwoLines) {
    const std::vector<std::vector<std::string>> forms = {
        {"--ports"},       {"--ports", "/tmp", "--log"},       {"--bogus"},     {"--ports", "/tmp"},
        {"5=x"},           {"--ports", "/tmp", "05x=p"},       {"--ports", "/tmp", "0x10=p"},
        {"--ports", "/tmp", "1e2=p"}, {"--ports", "/tmp", "-5=p"}, {"--ports", "/tmp", "5=p", "--"},
        {"--ports", "/a", "--ports", "/b", "5=p"},
    };
    for (const auto& form : forms) {
        SimulatorProcess simulator;
        EXPECT_FALSE(simulator.Start(form));
        EXPECT_EQ(simulator.WaitExit(), 2) << form[0];
        const std::string err = simulator.Stderr();
        EXPECT_EQ(err.rfind("modemsim: ", 0), 0u) << err;
        const size_t firstEnd = err.find('\n');
        EXPECT_EQ(err.substr(firstEnd + 1), "See 'modemsim --help'.\n") << err;
        EXPECT_EQ(simulator.Stdout(), "");
    }
}

// With -- COMMAND the simulator runs COMMAND once the ports are up and ends with it: its
// status is the simulator's, the links go, and standard output is the command's alone.
TEST_F(SimulatorTest, RunsACommandOnceThePortsAreUpAndEndsWithIt) {
    const std::string profile = dir_.WriteFile("p.profile", "setting n 0 2\nAT+N={n} => ok\n");
    // Waits for the reply ("AT+N=2\r" echoed, "ok"), so the set command is surely taken.
    const std::string script = "exec 3<>" + Port(5) + " && printf 'AT+N=2\\r' >&3 && head -c 9 <&3 >/dev/null && exit 7";
    struct Case {
        std::vector<std::string> command;
        int status;
    } cases[] = {
        {{"sh", "-c", script}, 7},
        {{"sh", "-c", "kill -TERM $$"}, 128 + SIGTERM},
        {{dir_.Path() + "/no-such-program"}, 127},
        {{dir_.Path()}, 126},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"--ports", ports_, "--log", logs_, "5=" + profile, "--"};
        arguments.insert(arguments.end(), c.command.begin(), c.command.end());
        SimulatorProcess simulator;
        EXPECT_FALSE(simulator.Start(arguments, 20000));   // no "ready": it ends with the command
        EXPECT_EQ(simulator.WaitExit(20000), c.status) << c.command[0];
        EXPECT_EQ(simulator.Stdout(), "");
        EXPECT_FALSE(Exists(Port(5)));
    }
    // The first command's set command changed the setting; the transcript says so at the end.
    SimulatorProcess simulator;
    ASSERT_FALSE(simulator.Start({"--ports", ports_, "--log", logs_, "5=" + profile, "--", "sh", "-c", script}, 20000));
    ASSERT_EQ(simulator.WaitExit(20000), 7);
    const std::string log = ReadWholeFile(logs_ + "/com5.log");
    EXPECT_NE(log.find("-- setting n: 0 -> 2\n"), std::string::npos) << log;
    EXPECT_NE(log.find("-- settings at the end: n=2\n"), std::string::npos) << log;
    EXPECT_NE(log.find("-- stopped: the command ended with status 7\n"), std::string::npos) << log;
}

// A stop signal sent to the simulator alone reaches the command, which ends; the simulator
// waits for that, so a command can stop what uses the ports (a Wine server) first.
TEST_F(SimulatorTest, PassesAStopSignalOnToTheCommand) {
    const std::string profile = dir_.WriteFile("p.profile", "AT => ok\n");
    const std::string marker = dir_.Path() + "/started";
    SimulatorProcess simulator;
    ASSERT_FALSE(simulator.Start({"--ports", ports_, "5=" + profile, "--", "sh", "-c",
                                  "trap 'exit 42' TERM; touch " + marker + "; while :; do sleep 0.05; done"},
                                 200));
    const long long deadline = NowMs() + 20000;
    while (!Exists(marker) && NowMs() < deadline) usleep(10000);
    ASSERT_TRUE(Exists(marker));
    EXPECT_EQ(simulator.Stop(SIGTERM, 20000), 42);
    EXPECT_FALSE(Exists(Port(5)));
}

TEST(SimulatorHelp, PrintsUsageAndExitsWithZero) {
    SimulatorProcess simulator;
    EXPECT_FALSE(simulator.Start({"--help"}));
    EXPECT_EQ(simulator.WaitExit(), 0);
    EXPECT_EQ(simulator.Stdout().rfind("Usage: modemsim --ports DIR", 0), 0u) << simulator.Stdout();
}

}  // namespace
