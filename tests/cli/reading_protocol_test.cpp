// The reading process's message as its parent reads it: whatever a child prints, the parent
// gets a message or a reason. And the processes themselves: each child's end told apart, its
// stderr's tail kept as the reason, a child that never ends ended at the deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fleet/child_processes.h"
#include "fleet/reading_protocol.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace {

TEST(ReadingProtocol, BadOutputIsAFailedReadingWithAReason) {
    const struct {
        const char* what;
        std::string output;
    } cases[] = {
        {"nothing", ""},
        {"no object", "Segmentation fault\n"},
        {"cut short", "{\"port\": \"/dev/ttyUSB2\", \"rows\": [\"E1"},
        {"an array", "[1, 2]\n"},
        {"busy not a flag", "{\"busy\": \"x\"}\n"},
        {"port a number", "{\"port\": 5}\n"},
        {"rows an object", "{\"rows\": {}}\n"},
        {"attempt of the wrong type", "{\"tried\": [{\"port\": 1}]}\n"},
        {"past the cap", "{\"model\": \"" + std::string(kReadingMessageCap, 'x') + "\"}\n"},
    };
    for (const auto& c : cases) {
        InfoMessage message;
        std::string why;
        EXPECT_FALSE(ReadInfoMessage(c.output, &message, &why)) << c.what;
        EXPECT_FALSE(why.empty()) << c.what;
    }
    SignalMessage signal;
    std::string why;
    EXPECT_FALSE(ReadSignalMessage("{\"csq\": \"18\"}\n", &signal, &why));
    EXPECT_FALSE(ReadSignalMessage("{\"csq\": 1e99}\n", &signal, &why));
}

TEST(ReadingProtocol, WhatIsWrittenIsReadBackPastStrayLinesAndMissingKeys) {
    InfoMessage sent;
    sent.port = "/dev/ttyUSB2";
    sent.model = "ZW-300";
    sent.rows = {"Zentrawave", "ZW-300", "\xd0\x97"};   // UTF-8 passes as it is
    sent.tried = {{"/dev/ttyUSB1", "silent", ""}, {"/dev/ttyUSB2", "answered", ""}};
    InfoMessage got;
    std::string why;
    ASSERT_TRUE(ReadInfoMessage("warning: stray\n" + InfoMessageLine(sent), &got, &why)) << why;
    EXPECT_EQ(got.port, sent.port);
    EXPECT_EQ(got.rows, sent.rows);
    ASSERT_EQ(got.tried.size(), 2u);
    EXPECT_EQ(got.tried[1].result, "answered");

    ASSERT_TRUE(ReadInfoMessage("{}", &got, &why)) << why;   // every key missing: defaults
    EXPECT_TRUE(got.port.empty());
    EXPECT_FALSE(got.busy);
    // Parent and child are one program: a row is a text, and an object is no row's value.
    ASSERT_TRUE(ReadInfoMessage("{\"rows\": [{\"value\": \"E173\"}, \"x\", null]}", &got, &why)) << why;
    EXPECT_EQ(got.rows, (std::vector<std::string>{"", "x", ""}));

    SignalMessage signal;
    signal.port = "/dev/ttyUSB2";
    signal.answered = true;
    signal.csq = 18;
    signal.radioFamily = RadioFamilyId::StandardOnly();
    SignalMessage back;
    ASSERT_TRUE(ReadSignalMessage(SignalMessageLine(signal), &back, &why)) << why;
    EXPECT_EQ(back.csq, 18);
    EXPECT_TRUE(back.answered);
    EXPECT_EQ(back.radioFamily, RadioFamilyId::StandardOnly());
}

TEST(ChildFailure, ReasonIsHowItEndedAndTheLastOfItsStderr) {
    const struct {
        ChildExit exit;
        const char* err;
        const char* text;
    } cases[] = {
        {{ChildExit::Kind::Exited, 1}, "", "no result"},   // nothing said: what the output lacked
        {{ChildExit::Kind::Exited, 3}, "bad\r\n\x1b[31mworse\n\n", "the reading process exited with status 3: bad / [31mworse"},
        {{ChildExit::Kind::TimedOut, 15}, "late\n", "the reading process timed out: late"},
        {{ChildExit::Kind::NotStarted, 0}, "", "the reading process could not start"},
    };
    for (const auto& c : cases) {
        ChildRun run;
        run.exit = c.exit;
        run.err = c.err;
        EXPECT_EQ(ChildFailureText(run, "no result"), c.text) << c.err;
    }
}

#ifndef _WIN32
// The children of the test below: this program again, running one of these alone.
TEST(ChildRole, DISABLED_Answers) { std::printf("{\"port\": \"/dev/ttyUSB2\"}\n"); }
TEST(ChildRole, DISABLED_ComplainsAndFails) {
    std::fprintf(stderr, "%s\nfirst\r\nlast words\n", std::string(3000, 'x').c_str());
    std::fflush(stderr);
    std::_Exit(3);
}
TEST(ChildRole, DISABLED_DiesBySignal) {
    std::fprintf(stderr, "dying\n");
    std::fflush(stderr);
    raise(SIGKILL);
}
TEST(ChildRole, DISABLED_NeverEnds) {
    for (;;) pause();
}
TEST(ChildRole, DISABLED_IgnoresTheDeadline) {
    signal(SIGTERM, SIG_IGN);
    for (;;) pause();
}

TEST(RunChildren, EachEndToldApartAndTheDeadlineEndsOnlyTheLate) {
    const char* roles[] = {"Answers", "ComplainsAndFails", "DiesBySignal", "NeverEnds", "IgnoresTheDeadline"};
    std::vector<ChildRun> runs;
    for (const char* role : roles) {
        ChildRun run;
        run.arguments = {std::string("--gtest_filter=ChildRole.DISABLED_") + role, "--gtest_also_run_disabled_tests"};
        runs.push_back(run);
    }
    // Generous: the quick ones must end before it on a loaded machine.
    constexpr uint32_t kDeadlineMs = 8000;
    const auto start = std::chrono::steady_clock::now();
    RunChildren(&runs, kDeadlineMs);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kDeadlineMs));

    EXPECT_TRUE(runs[0].exit.ExitedWith(0)) << runs[0].exit.Text();
    InfoMessage message;
    std::string why;
    EXPECT_TRUE(ReadInfoMessage(runs[0].out, &message, &why)) << why;   // past the test banner
    EXPECT_EQ(message.port, "/dev/ttyUSB2");

    EXPECT_TRUE(runs[1].exit.ExitedWith(3)) << runs[1].exit.Text();
    EXPECT_EQ(runs[1].err.size(), kChildErrorTail);
    const std::string failure = ChildFailureText(runs[1], "");
    EXPECT_EQ(failure.rfind("the reading process exited with status 3: xxx", 0), 0u) << failure;
    EXPECT_EQ(failure.substr(failure.size() - 24), "xxx / first / last words") << failure;

    EXPECT_EQ(runs[2].exit.kind, ChildExit::Kind::Signalled);
    EXPECT_EQ(runs[2].exit.code, SIGKILL);
    EXPECT_EQ(ChildFailureText(runs[2], ""), "the reading process ended by signal 9: dying");

    // Asked to end at the deadline; the one that will not is killed after the grace.
    EXPECT_EQ(runs[3].exit.kind, ChildExit::Kind::TimedOut);
    EXPECT_EQ(runs[3].exit.code, SIGTERM);
    EXPECT_EQ(runs[4].exit.kind, ChildExit::Kind::TimedOut);
    EXPECT_EQ(runs[4].exit.code, SIGKILL);
}
#endif

}  // namespace
