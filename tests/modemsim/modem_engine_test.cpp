// The modem's timing and echo rules on a virtual clock: exact, and independent of the
// machine's load. The same rules are checked on real ptys, with tolerances, in simulator_test.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tools/modemsim/modem_engine.h"
#include "tools/modemsim/profile.h"

namespace {

Profile MakeProfile(const std::string& text) {
    Profile profile;
    std::string error;
    EXPECT_TRUE(ParseProfile(text, "test.profile", &profile, &error)) << error;
    return profile;
}

// Drives an engine whose port takes every byte at once and records when each byte left.
class Line {
public:
    explicit Line(const std::string& profileText) : engine_(MakeProfile(profileText)) {}

    void Send(const std::string& bytes, Millis at) {
        RunTo(at);
        engine_.Receive(bytes.data(), bytes.size(), at);
        RunTo(at);
    }
    // Moves time on to `until`, waking exactly at each deadline the engine names.
    void RunTo(Millis until) {
        for (int step = 0; step < 1000000; ++step) {
            engine_.Advance(now_);
            Flush();
            const Millis next = engine_.NextDeadline();
            if (next < 0 || next > until) break;
            now_ = std::max(now_, next);
        }
        now_ = std::max(now_, until);
    }
    // Bytes that left, each run of bytes stamped "@ms:".
    const std::string& Transcript() const { return transcript_; }
    std::string TakeBytes() {
        std::string taken = bytes_;
        bytes_.clear();
        return taken;
    }
    ModemEngine& Engine() { return engine_; }
    bool holdOutput = false;  // a client that does not read: nothing is taken from the engine

    void Flush() {
        if (holdOutput || engine_.OutgoingSize() == 0) return;
        transcript_ += "@" + std::to_string(now_) + ":" +
                       std::string(engine_.OutgoingData(), engine_.OutgoingSize()) + "|";
        bytes_.append(engine_.OutgoingData(), engine_.OutgoingSize());
        engine_.Sent(engine_.OutgoingSize());
    }
    Millis now_ = 0;

private:
    ModemEngine engine_;
    std::string transcript_;
    std::string bytes_;
};

// The echo goes out with the reply's first bytes, in one write: no gap between them that a
// late-scheduled simulator could stretch past the 50 ms that end a client's read.
TEST(ModemEngineEcho, EchoGoesOutWithTheReplyAfterTheLatency) {
    Line line("latency 5\nAT+CSQ => \\r\\n+CSQ: 18,99\\r\\n\nAT+P => {pause 30}x\n");
    line.Send("AT+CSQ\r", 0);
    line.RunTo(4);
    EXPECT_EQ(line.Transcript(), "");
    line.RunTo(100);
    EXPECT_EQ(line.Transcript(), "@5:AT+CSQ\r\r\n+CSQ: 18,99\r\n|");
    // A reply that starts with a pause: the echo at the latency, the pause after it.
    line.Send("AT+P\r", 200);
    line.Send("AT+SILENT\r", 300);
    line.RunTo(1000);
    EXPECT_EQ(line.Transcript(), "@5:AT+CSQ\r\r\n+CSQ: 18,99\r\n|@205:AT+P\r|@235:x|@305:AT+SILENT\r\r\nERROR\r\n|");
}

// Real modems echo as they read: `echo-timing early` keeps that, the reply `latency` later.
TEST(ModemEngineEcho, EarlyEchoGoesOutWhenTheCommandIsTaken) {
    Line line("echo-timing early\nlatency 5\nAT+CSQ => \\r\\n+CSQ: 18,99\\r\\n\n");
    line.Send("AT+CSQ\r", 0);
    EXPECT_EQ(line.Transcript(), "@0:AT+CSQ\r|");
    line.RunTo(100);
    EXPECT_EQ(line.Transcript(), "@0:AT+CSQ\r|@5:\r\n+CSQ: 18,99\r\n|");
}

TEST(ModemEngineEcho, SwitchesAfterTheCommandsOwnEcho) {
    struct Case {
        const char* name;
        std::string profile;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"ATE0 is echoed, then echo is off", "latency 0\nAT => A\n", "ATE0\rAT\r", "ATE0\r\r\nOK\r\nA"},
        {"ATE1 is not echoed, then echo is on", "echo off\nlatency 0\nAT => A\n", "ATE1\rAT\r",
         "\r\nOK\r\nAT\rA"},
        {"a rule for ATE0 replaces the answer, not the switch", "latency 0\nATE0 => mine\nAT => A\n",
         "ATE0\rAT\r", "ATE0\rmineA"},
        {"a silent ATE0 still switches", "latency 0\nATE0 => <silent>\nAT => A\n", "ATE0\rAT\r",
         "ATE0\rA"},
        {"echo always ignores ATE0", "echo always\nlatency 0\nAT => A\n", "ATE0\rAT\r",
         "ATE0\r\r\nOK\r\nAT\rA"},
        {"echo always and ATE1", "echo always\nlatency 0\n", "ATE1\rATE0\r", "ATE1\r\r\nOK\r\nATE0\r\r\nOK\r\n"},
        {"the default rule does not answer ATE0", "latency 0\n* => no\n", "ATE0\rATX\r", "ATE0\r\r\nOK\r\nno"},
        {"only the exact commands switch", "latency 0\n* => no\n", "ate0\rATE\rATE0 \rAT\r",
         "ate0\rnoATE\rnoATE0 \rnoAT\rno"},
    };
    for (const Case& c : cases) {
        Line line(c.profile);
        line.Send(c.input, 0);
        line.RunTo(1000);
        EXPECT_EQ(line.TakeBytes(), c.expected) << c.name;
    }
}

TEST(ModemEngineCycle, RepliesInTurnPerCommandAndFromTheFirstAgain) {
    Line line("echo off\nlatency 0\nQ => {cycle 1 | 2 | <silent>}\nR => {cycle a | b}\n");
    line.Send("Q\rQ\rR\rQ\rQ\rR\rR\rQ\r", 0);
    line.RunTo(1000);
    EXPECT_EQ(line.TakeBytes(), "12a1ba2");
    EXPECT_EQ(line.Engine().CommandsTaken(), 8u);
}

TEST(ModemEngineUnplug, GoesAwayAtItsCommandWithoutEchoOrReply) {
    Line line("latency 0\nunplug AT+GONE\nAT => A\n");
    line.Send("AT\rAT+GONE\rAT\r", 0);
    line.RunTo(1000);
    EXPECT_EQ(line.TakeBytes(), "AT\rA");
    EXPECT_TRUE(line.Engine().Unplugged());
    EXPECT_EQ(line.Engine().NextDeadline(), -1);
    line.Send("AT\r", 2000);
    line.RunTo(3000);
    EXPECT_EQ(line.TakeBytes(), "");
    EXPECT_EQ(line.Engine().CommandsTaken(), 2u);
}

TEST(ModemEngineInput, LineFeedsAndNulsBetweenCommandsAreIgnored) {
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"A\r\nB\r\n", "A\r1B\r2"},
        {std::string("\n\0\nA\r\0B\r", 8), "A\r1B\r2"},
        {"\r", "\r*"},
        {"\r\n\r\n", "\r*\r*"},
        {"A\nB\r", "A\nB\r*"},  // inside a command line they are part of it
        {std::string("A\0\r", 3), std::string("A\0\r*", 4)},
    };
    for (const Case& c : cases) {
        Line line("latency 0\nA => 1\nB => 2\n* => *\n");
        line.Send(c.input, 0);
        line.RunTo(100);
        EXPECT_EQ(line.TakeBytes(), c.expected);
    }
}

TEST(ModemEngineInput, CommandSplitAcrossReadsIsOneLine) {
    Line line("latency 0\nATI => i\n");
    line.Send("A", 0);
    line.Send("T", 3);
    EXPECT_EQ(line.TakeBytes(), "");
    line.Send("I\r", 7);
    EXPECT_EQ(line.Transcript(), "@7:ATI\ri|");
}

TEST(ModemEngineInput, OverlongCommandLineIsCut) {
    Line line("echo off\nlatency 0\n* => E\n");
    const std::string longLine(kMaxCommandLineBytes + 10, 'A');
    line.Send(longLine, 0);
    line.Send("\r", 0);
    EXPECT_EQ(line.TakeBytes(), "E");
    Line echoing("latency 0\n* => E\n");
    echoing.Send(longLine + "\r", 0);
    EXPECT_EQ(echoing.TakeBytes(), std::string(kMaxCommandLineBytes, 'A') + "\rE");
}

TEST(ModemEngineInput, BacklogFullAfterManyUnansweredLines) {
    Line line("echo off\nlatency 1000\n");
    std::string many(99999, '\r');
    line.Send(many, 0);
    EXPECT_FALSE(line.Engine().InputBacklogFull());
    line.Send("\r\r", 0);  // one is being answered, 100000 wait
    EXPECT_TRUE(line.Engine().InputBacklogFull());
}

TEST(ModemEngineTiming, LatencyCountsFromTheLaterOfCommandEndAndPreviousReplyEnd) {
    Line line("echo off\nlatency 20\nA => a\nB => b\nC => c\n");
    // Three commands at once: each reply waits 20 ms after the previous one ended.
    line.Send("A\rB\rC\r", 0);
    line.RunTo(1000);
    EXPECT_EQ(line.Transcript(), "@20:a|@40:b|@60:c|");
    // A command long after the last reply: 20 ms after its own end.
    line.Send("A\r", 2000);
    line.RunTo(3000);
    EXPECT_EQ(line.Transcript(), "@20:a|@40:b|@60:c|@2020:a|");
}

TEST(ModemEngineTiming, CommandArrivingDuringAReplyWaitsForItsEnd) {
    Line line("echo on\nlatency 10\nA => a{pause 100}A\nB => b\n");
    line.Send("A\r", 0);
    line.Send("B\r", 50);  // while A's reply pauses
    line.RunTo(1000);
    // B's echo and answer come 10 ms after A's reply ended.
    EXPECT_EQ(line.Transcript(), "@10:A\ra|@110:A|@120:B\rb|");
}

TEST(ModemEngineTiming, PauseStopsTheSendingForItsLength) {
    Line line("echo off\nlatency 5\nX => 1{pause 120}2{pause 0}3{pause 30}\nY => y\n");
    line.Send("X\r", 0);
    line.RunTo(100);
    EXPECT_EQ(line.Transcript(), "@5:1|");
    // The trailing pause belongs to the reply: the next reply counts from its end.
    line.Send("Y\r", 100);
    line.RunTo(1000);
    EXPECT_EQ(line.Transcript(), "@5:1|@125:2|@125:3|@160:y|");
}

TEST(ModemEngineTiming, ReplyEndsWhenItsLastByteLeftNotWhenItWasQueued) {
    Line line("echo off\nlatency 10\nA => a{pause 50}b\nB => c\n");
    line.holdOutput = true;  // the client reads nothing for a while
    line.Send("A\rB\r", 0);
    line.RunTo(500);
    EXPECT_EQ(line.Engine().OutgoingSize(), 1u);  // "a" waits; the pause has not begun
    EXPECT_EQ(line.Engine().NextDeadline(), -1);
    line.holdOutput = false;
    line.Flush();  // "a" leaves at 500
    line.RunTo(2000);
    EXPECT_EQ(line.Transcript(), "@500:a|@550:b|@560:c|");
}

TEST(ModemEngineTiming, SilentAndEmptyRepliesStillTakeTheirLatency) {
    Line line("latency 30\nS => <silent>\nE =>\nA => a\n");
    line.Send("S\rE\rA\r", 0);
    line.RunTo(1000);
    EXPECT_EQ(line.Transcript(), "@30:S\r|@60:E\r|@90:A\ra|");
}

TEST(ModemEngineTiming, NextDeadlineNamesTheNextStep) {
    Line line("echo off\nlatency 40\nX => a{pause 100}b\n");
    EXPECT_EQ(line.Engine().NextDeadline(), -1);
    line.Engine().Receive("X\r", 2, 0);
    EXPECT_EQ(line.Engine().NextDeadline(), 0);  // a command waits to be taken
    line.Engine().Advance(0);
    EXPECT_EQ(line.Engine().NextDeadline(), 40);
    line.Engine().Advance(40);
    EXPECT_EQ(line.Engine().NextDeadline(), -1);  // "a" waits to be written
    line.Engine().Sent(1);
    line.Engine().Advance(41);
    EXPECT_EQ(line.Engine().NextDeadline(), 141);
}

}  // namespace

namespace {

// A set command changes what a query answers, conditions pick the reply, and the change lasts.
TEST(ModemEngineSettings, SetCommandsChangeLaterReplies) {
    Line line("echo off\nlatency 0\nsetting n 0 1 2\n"
              "AT+N={n} => OK\nAT+N? => +N: {n}\nwhen n=2 AT+N? => +N: {n},\"1A2B\"\n");
    line.Send("AT+N?\rAT+N=2\rAT+N?\rAT+N=7\rAT+N?\rAT+N=0\rAT+N?\r", 0);
    line.RunTo(100);
    EXPECT_EQ(line.TakeBytes(), "+N: 0OK+N: 2,\"1A2B\"\r\nERROR\r\n+N: 2,\"1A2B\"OK+N: 0");
    EXPECT_EQ(line.Engine().SettingValues(), (std::vector<std::string>{"n=0"}));
    EXPECT_EQ(line.Engine().TakeNotes(), (std::vector<std::string>{"setting n: 0 -> 2", "setting n: 2 -> 0"}));
}

// Reports go out on their schedule between replies, never inside one; a report after a
// command follows its reply's end, and both only while their conditions hold.
TEST(ModemEngineReports, PeriodicAndAfterACommandBetweenReplies) {
    Line line("echo off\nlatency 10\nsetting n 0 1\nAT+N={n} => OK\nAT+LONG => a{pause 300}b\n"
              "unsolicited every 100 R{n}\nwhen n=1 unsolicited after 20 AT+N={n} -> U\n");
    line.RunTo(250);
    EXPECT_EQ(line.Transcript(), "@100:R0|@200:R0|");
    line.Send("AT+LONG\r", 250);   // from 260 to 560: the reports at 300, 400, 500 wait
    line.Send("AT+N=1\r", 255);    // answered at 570, its report 20 ms after
    line.Send("AT+N=0\r", 256);    // at 580: no report, n is 0 when it would fall due
    line.RunTo(720);
    EXPECT_EQ(line.Transcript(),
              "@100:R0|@200:R0|@260:a|@560:b|@560:R0|@570:OK|@580:OK|@600:R0|@700:R0|");
}

}  // namespace
