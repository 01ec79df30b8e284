// vesmarin-cli run as a user runs it. Layout CliModems: COM5 answers, COM4 stays silent.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

// Runs the tool with a shell command line; stderr is discarded unless `withStderr`.
Outcome RunCli(const std::string& args, bool withStderr = false) {
    const std::string command =
        std::string(VESMARIN_CLI) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) outcome.out.append(chunk, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(CliModemsScan, PrintsOneEntryPerModem) {
    const Outcome scan = RunCli("scan");
    EXPECT_EQ(scan.status, 0);
    EXPECT_EQ(scan.out, "E173 (COM5)\n");
}

TEST(CliModemsScan, NoModemIsExitOneWithNothingOnStdout) {
    const std::string saved = std::getenv("VESMARIN_PORTS") ? std::getenv("VESMARIN_PORTS") : "";
    setenv("VESMARIN_PORTS", "/nonexistent-vesmarin-ports", 1);
    const Outcome scan = RunCli("scan");
    setenv("VESMARIN_PORTS", saved.c_str(), 1);
    EXPECT_EQ(scan.status, 1);
    EXPECT_EQ(scan.out, "");
    EXPECT_EQ(RunCli("scan extra").status, 2);
}

TEST(CliModemsAt, ExitStatusTellsWhatHappened) {
    const Outcome reply = RunCli("at 'E173 (COM5)' AT+CGMM");
    EXPECT_EQ(reply.status, 0);
    EXPECT_NE(reply.out.find("E173"), std::string::npos);

    EXPECT_EQ(RunCli("at COM4 AT").status, 1);             // silent for 2000 ms
    const Outcome missing = RunCli("at COM99 AT", true);  // no such port
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.out.find("COM99"), std::string::npos) << missing.out;
    EXPECT_EQ(RunCli("at nowhere AT").status, 2);
    EXPECT_EQ(RunCli("at COM5 " + std::string(255, 'A')).status, 2);
    EXPECT_EQ(RunCli("at COM5").status, 2);
    EXPECT_EQ(RunCli("at --help").status, 0);
}

TEST(CliModemsInfo, PrintsTheTableInOrderAsUtf8) {
    const Outcome info = RunCli("info COM5");
    ASSERT_EQ(info.status, 0);
    // 29 lines, the first two named in UTF-8.
    size_t lines = 0;
    for (char c : info.out) lines += c == '\n';
    EXPECT_EQ(lines, 29u);
    EXPECT_EQ(info.out.rfind(u8"Производитель: ", 0), 0u) << info.out;
    EXPECT_NE(info.out.find(u8"\nМодель: E173\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find(u8"\n + Показать доп. информацию: \n"), std::string::npos);
}

TEST(CliModemsInfo, JsonHasTheSameRows) {
    const Outcome json = RunCli("info --json 'E173 (COM5)'");
    ASSERT_EQ(json.status, 0);
    const auto document = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << json.out;
    EXPECT_EQ(document["port"], "E173 (COM5)");
    ASSERT_EQ(document["rows"].size(), 29u);
    EXPECT_EQ(document["rows"][1]["index"], 1);
    EXPECT_EQ(document["rows"][1]["name"], u8"Модель");
    EXPECT_EQ(document["rows"][1]["value"], "E173");
}

TEST(CliModemsInfo, UnopenablePortIsExitTwo) {
    EXPECT_EQ(RunCli("info COM99").status, 2);
    EXPECT_EQ(RunCli("info").status, 2);
}

}  // namespace
