// vesmarin-cli watch against simulated modems. Layout CliWatch: COM5's signal drifts through
// a cycle of replies (levels, the unknown level, a silent turn, an error), COM6 goes away at
// the first signal reading, COM4 stays silent, COM7 gives odd values, COM8 steady ones, COM9
// is a drifting LTE stick of the caret family.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/support/modem_transcript.h"

namespace {

using Outcome = CliOutcome;

Outcome RunCli(const std::string& args) { return RunCliCommand(args, CliStderr::Separate); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

struct TerminalOutcome {
    int status = -1;   // the exit status, -1 when a signal ended the tool
    int signal = 0;    // that signal
    std::string out;
};

// One step of a run on a terminal: once `when` holds for what the screen got so far, `then`
// acts on the tool (a signal) or on its terminal (a new size).
struct TerminalStep {
    std::function<bool(const std::string& screen)> when;
    std::function<void(pid_t tool, int terminal)> then;
};

TerminalStep Once(const std::string& shown, std::function<void(pid_t, int)> then) {
    return {[shown](const std::string& screen) { return screen.find(shown) != std::string::npos; }, then};
}

std::function<void(pid_t, int)> Send(int signalNumber) {
    return [signalNumber](pid_t tool, int) { kill(tool, signalNumber); };
}

// Runs the tool on a terminal of its own, `columns` wide, taking the steps in turn, then reads
// to the end. Gives up after 60 s.
TerminalOutcome RunOnTerminal(const std::vector<std::string>& args, std::vector<TerminalStep> steps,
                              unsigned short columns = 80) {
    TerminalOutcome outcome;
    int master = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child < 0) return outcome;
    if (child == 0) {
        setenv("TERM", "xterm", 1);
        const rlimit noCore{0, 0};   // SIGQUIT ends the tool without a core file
        setrlimit(RLIMIT_CORE, &noCore);
        ExecCli(args);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    size_t step = 0;
    char chunk[4096];
    while (std::chrono::steady_clock::now() < giveUp) {
        if (step < steps.size() && steps[step].when(outcome.out)) {
            steps[step].then(child, master);
            ++step;
            continue;
        }
        pollfd ready{master, POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0) continue;
        const ssize_t n = read(master, chunk, sizeof chunk);
        if (n <= 0) break;   // EIO once the child has closed the terminal
        outcome.out.append(chunk, static_cast<size_t>(n));
    }
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    return outcome;
}

// The lines the live screen wrote, escape sequences and carriage returns taken out.
std::vector<std::string> ScreenLines(const std::string& out) {
    const std::string plain = std::regex_replace(out, std::regex("\x1b\\[[0-9;?]*[A-Za-z]|\r"), "");
    return Lines(plain);
}

size_t Columns(const std::string& utf8) {
    size_t columns = 0;
    for (unsigned char byte : utf8) columns += (byte & 0xC0) != 0x80 ? 1 : 0;
    return columns;
}

size_t ModemReadsSoFar(int port) {
    std::vector<std::string> lines;
    ReceivedByModem(port, &lines);
    return lines.size();
}

// Whether the modem received `command` after its first `skip` reads.
bool ModemReceived(int port, size_t skip, const std::string& command) {
    std::vector<std::string> lines;
    ReceivedByModem(port, &lines);
    for (size_t i = skip; i < lines.size(); ++i) {
        if (lines[i].find(command) != std::string::npos) return true;
    }
    return false;
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
        // row shows it (the modem's two modes in turn), and repeated in between.
        EXPECT_EQ(line["mode"], i < 10 ? "WCDMA" : "GSM/GPRS") << lines[i];
        // A 3G stick answers no radio family: its radio keys are there, all null.
        for (const char* key : {"rat", "rssi", "rsrp", "rsrq", "sinr", "band", "pci"})
            EXPECT_TRUE(line.at(key).is_null()) << key << ": " << lines[i];
    }
}

// The first reading finds the family; each reading then asks its metrics, every tenth its
// band and cell (which change on the tenth). Only queries reach the modem: no ATE0, no set.
TEST(CliWatch, AnLteStickGivesItsMetricsBandAndCellAndIsOnlyAsked) {
    const Outcome watch = RunCli("watch --json --count 12 --interval 0.2 COM9");
    ASSERT_EQ(watch.status, 0) << watch.err;
    const std::vector<std::string> lines = Lines(watch.out);
    ASSERT_EQ(lines.size(), 12u) << watch.out;
    const nlohmann::json null;
    // ^HCSQ "LTE",rssi,rsrp,sinr,rsrq in turn, decoded; the fourth turn has no measurement.
    const nlohmann::json cycle[][4] = {
        {-61, -78, -7, 15.8}, {-66, -89, -9, 7.8}, {-73, -100, -12, -2.2}, {null, null, null, null}, {-77, -112, -15.5, -12.2},
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto line = nlohmann::json::parse(lines[i], nullptr, false);
        ASSERT_TRUE(line.is_object()) << lines[i];
        const auto& expected = cycle[i % std::size(cycle)];
        EXPECT_EQ(line["rat"], "LTE") << lines[i];
        EXPECT_EQ(line["rssi"], expected[0]) << lines[i];
        EXPECT_EQ(line["rsrp"], expected[1]) << lines[i];
        EXPECT_EQ(line["rsrq"], expected[2]) << lines[i];
        EXPECT_EQ(line["sinr"], expected[3]) << lines[i];
        EXPECT_EQ(line["band"], i < 10 ? 3 : 20) << lines[i];
        EXPECT_EQ(line["pci"], i < 10 ? 102 : 215) << lines[i];
        EXPECT_TRUE(line["csq"].is_number()) << lines[i];
        EXPECT_TRUE(line["mode"].is_null()) << lines[i];   // this stick has no ^SYSINFO
    }
    std::vector<std::string> received;
    ASSERT_TRUE(ReceivedByModem(9, &received));
    EXPECT_GE(received.size(), 24u);
    const std::vector<std::string> queries = {"AT+CSQ\\r", "AT^HCSQ?\\r", "AT^SYSINFOEX\\r",
                                              "AT^HFREQINFO?\\r", "AT^MONSC\\r", "AT^SYSINFO\\r"};
    for (const auto& command : received)
        EXPECT_NE(std::find(queries.begin(), queries.end(), command), queries.end()) << command;
}

// 5G modules: on EN-DC the anchor's figures with the NR leg beside them and the carriers
// counted from the first reading on; on SA the NR cell's figures in the LTE ones' place. Only
// queries reach the modem.
TEST(CliWatch, FiveGModulesGiveTheNrLegAndTheCarrierCount) {
    const struct {
        int port;
        const char* rat;
        nlohmann::json rsrp, nrRsrp, carriers;
    } cases[] = {{10, "LTE+NR", -88, -84, 3}, {11, "NR", -92, nullptr, 2}};
    for (const auto& c : cases) {
        const size_t before = ModemReadsSoFar(c.port);
        const Outcome watch = RunCli("watch --json --count 3 --interval 0.2 COM" + std::to_string(c.port));
        ASSERT_EQ(watch.status, 0) << watch.err;
        const std::vector<std::string> lines = Lines(watch.out);
        ASSERT_EQ(lines.size(), 3u) << watch.out;
        for (const std::string& text : lines) {
            const auto line = nlohmann::json::parse(text, nullptr, false);
            ASSERT_TRUE(line.is_object()) << text;
            EXPECT_EQ(line["rat"], c.rat) << text;
            EXPECT_EQ(line["rsrp"], c.rsrp) << text;
            EXPECT_EQ(line["carrier_count"], c.carriers) << text;
            EXPECT_EQ(c.nrRsrp.is_null() ? nlohmann::json() : line["nr"]["rsrp"], c.nrRsrp) << text;
            if (c.nrRsrp.is_null()) {
                EXPECT_TRUE(line["nr"].is_null()) << text;
            }
        }
        for (const char* set : {"AT+C5GREG=", "AT+CEREG=", "AT+COPS=", "ATE"}) {
            EXPECT_FALSE(ModemReceived(c.port, before, set)) << set << " reached COM" << c.port;
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
    const TerminalOutcome watch =
        RunOnTerminal({"watch", "--interval", "0.2", "COM5"}, {Once("(3 readings)", Send(SIGINT))});
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

TEST(CliWatch, ValuesBeyondTheUsualOnesAreReadAsNumbersNeverFromText) {
    const Outcome watch = RunCli("watch --json --count 5 --interval 0.2 COM7");
    ASSERT_EQ(watch.status, 0) << watch.err;
    const std::vector<std::string> lines = Lines(watch.out);
    ASSERT_EQ(lines.size(), 5u) << watch.out;
    const struct {
        nlohmann::json csq;
        nlohmann::json dbm;
    } expected[] = {{2147483647, nullptr}, {151, -65}, {100, -116}, {191, -25}, {199, nullptr}};
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto line = nlohmann::json::parse(lines[i], nullptr, false);
        ASSERT_TRUE(line.is_object()) << lines[i];
        EXPECT_EQ(line["csq"], expected[i].csq) << lines[i];
        EXPECT_EQ(line["dbm"], expected[i].dbm) << lines[i];
    }
}

// 50 columns: the bar line alone is 70 characters. Every line is cut to fit, one column to
// spare, so none wraps onto a row the next redraw would not go back over.
TEST(CliWatch, OnANarrowTerminalEveryLineFits) {
    for (unsigned short columns : {50, 72}) {
        const TerminalOutcome watch = RunOnTerminal({"watch", "--interval", "0.2", "COM8"},
                                                    {Once("(15 readings)", Send(SIGINT))}, columns);
        EXPECT_EQ(watch.status, 0) << watch.out;
        const std::string screen = watch.out.substr(0, watch.out.rfind("\x1b[?25h"));   // the summary may wrap
        for (const auto& line : ScreenLines(screen)) EXPECT_LT(Columns(line), columns) << line;
        EXPECT_EQ(std::regex_search(watch.out, std::regex("\x1b\\[(?!8A)[0-9]+A")), false) << watch.out;
    }
}

// Narrowed from 100 to 50 columns, a terminal that reflows puts the 70-character bar line on
// two rows: the next frame starts one row higher, at once, not at the next reading.
TEST(CliWatch, ATerminalMadeNarrowerIsRedrawnFromTheFrameTop) {
    const auto narrow = [](pid_t, int terminal) {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 50;
        ioctl(terminal, TIOCSWINSZ, &size);
    };
    const TerminalOutcome watch = RunOnTerminal({"watch", "--interval", "60", "COM8"},
                                                {Once("(1 reading)", narrow), Once("\r\x1b[9A", Send(SIGINT))}, 100);
    EXPECT_EQ(watch.status, 0) << watch.out;
    const size_t redrawn = watch.out.find("\r\x1b[9A");
    ASSERT_NE(redrawn, std::string::npos) << watch.out;
    const std::string screen = watch.out.substr(redrawn, watch.out.rfind("\x1b[?25h") - redrawn);
    for (const auto& line : ScreenLines(screen)) EXPECT_LT(Columns(line), 50u) << line;
}

// Whatever signal ends the live screen, the cursor comes back: the ones that stop the watch
// (it then prints its summary) and the ones that end the tool at once.
TEST(CliWatch, EverySignalThatEndsTheScreenShowsTheCursorAgain) {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM}) {
        const TerminalOutcome watch = RunOnTerminal({"watch", "--interval", "0.2", "COM8"},
                                                    {Once("(1 reading)", Send(signalNumber))});
        const bool stops = signalNumber == SIGINT || signalNumber == SIGTERM;
        EXPECT_EQ(watch.status, stops ? 0 : -1) << strsignal(signalNumber);
        EXPECT_EQ(watch.signal, stops ? 0 : signalNumber) << strsignal(signalNumber);
        const size_t hidden = watch.out.rfind("\x1b[?25l");
        ASSERT_NE(hidden, std::string::npos) << strsignal(signalNumber);
        EXPECT_NE(watch.out.find("\x1b[?25h", hidden), std::string::npos)
            << strsignal(signalNumber) << ": " << watch.out;
    }
}

// Resizes that come while frames are written (the terminal is not read meanwhile, so the
// writes wait for room) fail none of them: the watch goes on and ends by Ctrl-C as usual.
TEST(CliWatch, ResizesWhileFramesAreWrittenDoNotEndTheWatch) {
    const auto storm = [](pid_t tool, int) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (std::chrono::steady_clock::now() < end) kill(tool, SIGWINCH);
    };
    const TerminalOutcome watch = RunOnTerminal({"watch", "--interval", "0.2", "COM8"},
                                                {Once("(1 reading)", storm), Once("(3 readings)", Send(SIGINT))});
    const std::string last = watch.out.substr(watch.out.size() - std::min<size_t>(watch.out.size(), 400));
    EXPECT_EQ(watch.status, 0) << last;
    const size_t restored = watch.out.rfind("\x1b[?25h");
    ASSERT_NE(restored, std::string::npos) << last;
    EXPECT_TRUE(std::regex_search(watch.out.substr(restored),
                                  std::regex("[0-9]+ readings, min -77 dBm, avg -77.0 dBm, max -77 dBm\r?\n$")))
        << last;
}

// SIGPIPE is ignored, so that a reader that goes away shows as a failed write and the watch
// ends through its normal path; sent on its own it changes nothing.
TEST(CliWatch, ASigpipeOfItsOwnDoesNotEndTheWatch) {
    const TerminalOutcome watch = RunOnTerminal({"watch", "--interval", "0.2", "COM8"},
                                                {Once("(1 reading)", Send(SIGPIPE)), Once("(3 readings)", Send(SIGINT))});
    EXPECT_EQ(watch.status, 0) << watch.out;
    EXPECT_NE(watch.out.find("\x1b[?25h", watch.out.rfind("\x1b[?25l")), std::string::npos) << watch.out;
}

// A silent modem: Ctrl-C while the signal query waits for its reply ends the watch with that
// reply window; the mode query of the first reading is never sent.
TEST(CliWatch, CtrlCWithASilentModemSendsNoFurtherCommand) {
    const size_t before = ModemReadsSoFar(4);
    const TerminalStep asked{[before](const std::string&) { return ModemReceived(4, before, "AT+CSQ"); },
                             Send(SIGINT)};
    const TerminalOutcome watch = RunOnTerminal({"watch", "COM4"}, {asked});
    EXPECT_EQ(watch.status, 0) << watch.out;
    EXPECT_TRUE(ModemReceived(4, before, "AT+CSQ"));
    EXPECT_FALSE(ModemReceived(4, before, "AT^SYSINFO")) << "a query went out after the stop";
    EXPECT_NE(watch.out.find("1 reading, no signal level"), std::string::npos) << watch.out;
}

}  // namespace
