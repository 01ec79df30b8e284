// vesmarin-cli with a modem pulled out midway. Layout CliUnplug: COM6 is a full stick that
// goes away at the information run's signal query (13 of 17), COM7 and COM8 go away at AT+GONE.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/cli/run_cli.h"

namespace {

using Outcome = CliOutcome;

Outcome RunCli(const std::string& args) { return RunCliCommand(args, CliStderr::Separate); }

TEST(CliUnplugInfo, PrintsTheRowsReadAndNamesTheQuery) {
    const Outcome info = RunCli("info COM6");
    EXPECT_EQ(info.status, 1) << info.err;
    size_t lines = 0;
    for (char c : info.out) lines += c == '\n';
    // The 29 rows, then the buy-code line: the model was read before the port failed.
    EXPECT_EQ(lines, 30u);
    EXPECT_NE(info.out.find(u8"\n + Показать доп. информацию: \nКупить код: "), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find(u8"\nМодель: E173u-2\n"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("-77 dBm"), std::string::npos) << info.out;   // the signal was never read
    EXPECT_NE(info.err.find("vesmarin-cli info: the modem on COM6 went away at query 13 of 17 (AT+CSQ): "),
              std::string::npos)
        << info.err;
}

TEST(CliUnplugAt, SaysThePortFailedRatherThanNoReply) {
    const Outcome at = RunCli("at COM7 AT+GONE");
    EXPECT_EQ(at.status, 1);
    EXPECT_EQ(at.out, "");
    EXPECT_NE(at.err.find("vesmarin-cli at: the port COM7 failed: "), std::string::npos) << at.err;
    EXPECT_EQ(at.err.find("no reply"), std::string::npos) << at.err;
}

TEST(CliUnplugTerm, SaysThePortFailedAndEnds) {
    char input[] = "/tmp/vesmarin-term-in-XXXXXX";
    const int fd = mkstemp(input);
    ASSERT_GE(fd, 0);
    const std::string lines = "AT\nAT+GONE\nAT\n";
    ASSERT_EQ(write(fd, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    close(fd);
    const auto start = std::chrono::steady_clock::now();
    const Outcome term = RunCli(std::string("term COM8 <") + input);
    unlink(input);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(term.status, 1);
    // The line after AT+GONE is never tried: the terminal ended with the port.
    EXPECT_EQ(term.out, "cmd> AT\n\r\nOK\r\n\ncmd> AT+GONE\n") << term.out;
    EXPECT_NE(term.err.find("vesmarin-cli term: the port COM8 failed: "), std::string::npos) << term.err;
    EXPECT_EQ(term.err.find("no reply"), std::string::npos) << term.err;
    EXPECT_LT(ms.count(), 2000);   // the hang-up is seen at once, not after the reply time
}

}  // namespace
