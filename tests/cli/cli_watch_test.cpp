// vesmarin-cli watch against simulated modems. Layout CliWatch: COM5's signal drifts through
// a cycle of replies (levels, the unknown level, a silent turn, an error), COM6 goes away at
// the first signal reading, COM4 stays silent.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"

namespace {

using Outcome = CliOutcome;

Outcome RunCli(const std::string& args) { return RunCliCommand(args, CliStderr::Separate); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// Runs the tool on a terminal of its own; once `waitFor` has appeared on it, sends SIGINT as
// Ctrl-C would (when `interrupt`), then reads to the end. Gives up after 60 s.
Outcome RunOnTerminal(const std::vector<std::string>& args, const std::string& waitFor, bool interrupt) {
    Outcome outcome;
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child < 0) return outcome;
    if (child == 0) {
        setenv("TERM", "xterm", 1);
        ExecCli(args);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool sent = !interrupt;
    char chunk[4096];
    while (std::chrono::steady_clock::now() < giveUp) {
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0) continue;
        const ssize_t n = read(master, chunk, sizeof chunk);
        if (n <= 0) break;   // EIO once the child has closed the terminal
        outcome.out.append(chunk, static_cast<size_t>(n));
        if (!sent && outcome.out.find(waitFor) != std::string::npos) {
            kill(child, SIGINT);
            sent = true;
        }
    }
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(CliWatch, JsonLinesFollowTheModemReadingByReading) {
    const Outcome watch = RunCli("watch --json --count 12 --interval 0.2 COM5");
    ASSERT_EQ(watch.status, 0) << watch.err;
    const std::vector<std::string> lines = Lines(watch.out);
    ASSERT_EQ(lines.size(), 12u) << watch.out;
    // The cycle of seven replies, from its start: the simulator's turn lasts across clients,
    // so this test comes first among those reading COM5.
    const struct {
        nlohmann::json csq;
        nlohmann::json dbm;
        const char* text;
    } cycle[] = {
        {0, -113, u8"-113 dBm (Плохо)"},
        {18, -77, u8"-77 dBm (Хорошо)"},
        {31, -51, u8"-51 dBm (Отлично)"},
        {99, nullptr, u8"Неизвестно"},
        {nullptr, nullptr, "no reply"},
        {nullptr, nullptr, "no signal value in the reply"},
        {7, -99, u8"-99 dBm (Плохо)"},
    };
    const std::regex iso("20[0-9]{2}-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\\.[0-9]{3}Z");
    std::string previousTime;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto line = nlohmann::json::parse(lines[i], nullptr, false);
        ASSERT_TRUE(line.is_object()) << lines[i];
        const auto& expected = cycle[i % std::size(cycle)];
        EXPECT_EQ(line["csq"], expected.csq) << lines[i];
        EXPECT_EQ(line["dbm"], expected.dbm) << lines[i];
        EXPECT_EQ(line["text"], expected.text) << lines[i];
        const std::string time = line["time"];
        EXPECT_TRUE(std::regex_match(time, iso)) << time;
        EXPECT_GT(time, previousTime);
        previousTime = time;
        // The mode is asked on the first reading and every tenth after it, as the table's
        // row shows it: the modem's two modes in turn.
        if (i == 0) {
            EXPECT_EQ(line["mode"], "WCDMA") << lines[i];
        } else if (i == 10) {
            EXPECT_EQ(line["mode"], "GSM/GPRS") << lines[i];
        } else {
            EXPECT_TRUE(line["mode"].is_null()) << lines[i];
        }
    }
}

TEST(CliWatch, AModemThatGoesAwayEndsTheWatchWithExitOne) {
    const Outcome watch = RunCli("watch --json COM6");
    EXPECT_EQ(watch.status, 1);
    EXPECT_EQ(watch.out, "");
    EXPECT_NE(watch.err.find("vesmarin-cli watch: the modem on COM6 went away at reading 1: "),
              std::string::npos)
        << watch.err;
}

TEST(CliWatch, ASilentModemGivesGapsAndTheWatchGoesOn) {
    const Outcome watch = RunCli("watch --count 2 --interval 0.2 COM4");
    EXPECT_EQ(watch.status, 0) << watch.err;
    const std::vector<std::string> lines = Lines(watch.out);
    ASSERT_EQ(lines.size(), 2u) << watch.out;
    for (const auto& line : lines) EXPECT_NE(line.find("\t\t\tno reply"), std::string::npos) << line;
}

TEST(CliWatch, BadArgumentsAreExitTwoBeforeThePortIsOpened) {
    const char* const cases[] = {
        "watch",                           "watch COM5 COM6",         "watch --interval 0.1 COM5",
        "watch --interval 0.19 COM5",      "watch --interval -1 COM5", "watch --interval 1e3 COM5",
        "watch --interval COM5",           "watch --interval '' COM5", "watch --count 0 COM5",
        "watch --count 1.5 COM5",          "watch --count 5 --count 6 COM5",
        "watch --interval 86400.001 COM5", "watch --fast COM5",       "watch nowhere",
    };
    for (const char* args : cases) {
        const Outcome watch = RunCli(args);
        EXPECT_EQ(watch.status, 2) << args;
        EXPECT_EQ(watch.out, "") << args;
        EXPECT_NE(watch.err.find("vesmarin-cli"), std::string::npos) << args;
    }
    EXPECT_EQ(RunCli("watch --help").status, 0);
    EXPECT_EQ(RunCli("watch COM99").status, 2);
}

TEST(CliWatch, OnATerminalTheScreenIsRedrawnInPlaceAndCtrlCRestoresIt) {
    const Outcome watch =
        RunOnTerminal({"watch", "--interval", "0.2", "COM5"}, "(3 readings)", true);
    EXPECT_EQ(watch.status, 0) << watch.out;
    const std::string& out = watch.out;
    EXPECT_EQ(out.rfind("\x1b[?25l", 0), 0u) << "the cursor is hidden first";
    // Each redraw goes back up over the whole screen instead of scrolling.
    EXPECT_NE(out.find("\r\x1b[8A"), std::string::npos) << out;
    const size_t restored = out.rfind("\x1b[?25h");
    ASSERT_NE(restored, std::string::npos) << out;
    const std::string after = out.substr(restored);
    EXPECT_TRUE(std::regex_search(after, std::regex("[0-9]+ readings, min -?[0-9]+ dBm, avg -?[0-9.]+ dBm, max -?[0-9]+ dBm\r?\n$")))
        << after;
    EXPECT_NE(out.find(u8"  history      "), std::string::npos) << out;
}

}  // namespace
