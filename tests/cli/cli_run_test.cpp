// vesmarin-cli run as a user runs it, through a pipe and on a terminal (a pty). Layouts:
// CliModems (COM5 answers, COM4 stays silent), CliScanReport (COM3 silent, COM5 a modem,
// COM6 answers ERROR to everything), CliHostile (COM5 answers with escape sequences),
// CliBuyCode (models of both buy-code lists and one in neither).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "info/buy_code_url.h"

#include "tests/cli/run_cli.h"

namespace {

using Outcome = CliOutcome;

// Runs the tool with a shell command line; stderr is discarded unless `withStderr`.
Outcome RunCli(const std::string& args, bool withStderr = false) {
    return RunCliCommand(args, withStderr ? CliStderr::Merged : CliStderr::Dropped);
}

enum class Output { Stdout, StdoutAndStderr, Terminal };

// Runs the tool with exactly these arguments, no shell in between, so that control bytes
// reach it as they are. On a Terminal stdout and stderr both go to a pty of its own, set raw
// so that the bytes arrive as the tool wrote them.
Outcome RunArgs(const std::vector<std::string>& args, Output output = Output::Stdout) {
    Outcome outcome;
    int readEnd = -1;
    pid_t child = -1;
    if (output == Output::Terminal) {
        child = forkpty(&readEnd, nullptr, nullptr, nullptr);
        if (child == 0) {
            termios tio{};
            tcgetattr(STDIN_FILENO, &tio);
            cfmakeraw(&tio);
            tcsetattr(STDIN_FILENO, TCSANOW, &tio);
        }
    } else {
        int fds[2];
        if (pipe(fds) != 0) return outcome;
        child = fork();
        if (child == 0) {
            dup2(fds[1], STDOUT_FILENO);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(output == Output::StdoutAndStderr ? fds[1] : devNull, STDERR_FILENO);
            close(fds[0]);
        }
        close(fds[1]);
        readEnd = fds[0];
    }
    if (child < 0) return outcome;
    if (child == 0) ExecCli(args);
    char chunk[4096];
    for (;;) {
        const ssize_t n = read(readEnd, chunk, sizeof chunk);
        if (n > 0) {
            outcome.out.append(chunk, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;   // end of the pipe, or EIO once the pty's slave is closed
        }
    }
    close(readEnd);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// What a terminal shows after the progress line has been erased: from the first byte the
// command itself wrote.
std::string AfterProgress(const std::string& out) {
    const size_t erased = out.rfind(std::string(72, ' ') + "\r");
    return erased == std::string::npos ? out : out.substr(erased + 73);
}

// Runs with VESMARIN_PORTS pointing elsewhere for the span of one call.
struct PortsDirectory {
    explicit PortsDirectory(const std::string& dir) {
        if (const char* old = std::getenv("VESMARIN_PORTS")) saved = old;
        setenv("VESMARIN_PORTS", dir.c_str(), 1);
    }
    ~PortsDirectory() { setenv("VESMARIN_PORTS", saved.c_str(), 1); }
    std::string saved;
};

long long MsToRun(const std::vector<std::string>& args, Outcome* outcome) {
    const auto start = std::chrono::steady_clock::now();
    *outcome = RunArgs(args, Output::StdoutAndStderr);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
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
    // The 29 rows, the first two named in UTF-8, then the buy-code line of a listed model.
    size_t lines = 0;
    for (char c : info.out) lines += c == '\n';
    EXPECT_EQ(lines, 30u);
    EXPECT_EQ(info.out.rfind(u8"Производитель: ", 0), 0u) << info.out;
    EXPECT_NE(info.out.find(u8"\nМодель: E173\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find(u8"\n + Показать доп. информацию: \nКупить код: "), std::string::npos)
        << info.out;
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

// ---------------------------------------------------------------------------------------
// Layout CliScanReport: the per-port account of a scan.

TEST(CliScanReport, VerboseSaysWhatEachPortDidAndHowLong) {
    const Outcome scan = RunCli("scan --verbose");
    EXPECT_EQ(scan.status, 0);
    // Port lines; the device lines indented under them are checked apart.
    std::vector<std::string> lines;
    std::vector<std::string> deviceLines;
    for (size_t start = 0, end; (end = scan.out.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string text = scan.out.substr(start, end - start);
        (text.rfind("    device ", 0) == 0 ? deviceLines : lines).push_back(text);
    }
    // Each port that was there (COM3, COM5, COM6) is a pty of the simulator, without USB facts.
    ASSERT_EQ(deviceLines.size(), 3u) << scan.out;
    for (const auto& device : deviceLines) {
        EXPECT_TRUE(std::regex_match(device, std::regex("    device /dev/pts/[0-9]+, no USB facts \\(not a USB device\\)")))
            << device;
    }
    const std::regex line("(\\S+) +([0-9]+) ms  (.*)");
    const struct {
        const char* ports;
        const char* words;
        long long atLeastMs;
        long long belowMs;
    } expected[] = {
        // Upper bounds only catch a wrong unit: a loaded machine may stretch any of these, and
        // an answering port may spend up to two probe limits (ATE0, then AT+CGMM).
        {"COM1-COM2", "absent", 0, 5000},
        {"COM3", "opened but silent: no reply to ATE0 or AT+CGMM within 1000 ms", 1950, 10000},
        {"COM4", "absent", 0, 5000},
        {"COM5", "modem: \"E173 (COM5)\"", 50, 5000},
        {"COM6", "answered without a model (an error reply), listed as \"ERROR (COM6)\"", 50, 5000},
        {"COM7-COM254", "absent", 0, 5000},
    };
    ASSERT_EQ(lines.size(), std::size(expected)) << scan.out;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, line)) << lines[i];
        EXPECT_EQ(match[1], expected[i].ports);
        EXPECT_EQ(match[3], expected[i].words);
        const long long ms = std::stoll(match[2]);
        EXPECT_GE(ms, expected[i].atLeastMs) << lines[i];
        EXPECT_LT(ms, expected[i].belowMs) << lines[i];
    }
}

TEST(CliScanReport, JsonCarriesTheSameAccount) {
    const Outcome scan = RunCli("scan --json");
    EXPECT_EQ(scan.status, 0);
    const auto document = nlohmann::json::parse(scan.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << scan.out;
    ASSERT_EQ(document["ports"].size(), 3u);
    EXPECT_EQ(document["ports"][0]["port"], "COM3");
    EXPECT_EQ(document["ports"][0]["result"], "silent");
    EXPECT_EQ(document["ports"][1]["result"], "modem");
    EXPECT_EQ(document["ports"][1]["model"], "E173");
    EXPECT_EQ(document["ports"][2]["result"], "no-model");
    EXPECT_EQ(document["ports"][2]["model"], "ERROR");
    EXPECT_EQ(document["entries"], nlohmann::json({"E173 (COM5)", "ERROR (COM6)"}));
    ASSERT_EQ(document["absent"].size(), 3u);
    EXPECT_EQ(document["absent"][2]["first"], "COM7");
    EXPECT_EQ(document["absent"][2]["last"], "COM254");
    EXPECT_TRUE(document["serial_devices"].is_null());
    EXPECT_EQ(RunCli("scan --json --verbose").status, 2);
    EXPECT_EQ(RunCli("scan --quick").status, 2);
}

// A scratch directory of comN links standing in for a machine's serial devices.
class ScratchPorts {
public:
    ScratchPorts() {
        char pattern[] = "/tmp/vesmarin-ports-XXXXXX";
        dir_ = mkdtemp(pattern) ? pattern : "";
    }
    ~ScratchPorts() {
        if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    // comN -> target; a target inside the directory is made as an empty file first.
    void Link(int com, const std::string& target) {
        std::string path = target;
        if (target[0] != '/') {
            path = dir_ + "/" + target;
            if (FILE* file = std::fopen(path.c_str(), "w")) std::fclose(file);
        }
        ASSERT_EQ(symlink(path.c_str(), (dir_ + "/com" + std::to_string(com)).c_str()), 0);
    }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
};

TEST(CliScanReport, NothingAnsweringListsTheDevicesAndHintsAtStorageMode) {
    ScratchPorts ports;
    ports.Link(2, "/dev/null");   // exists, but is no serial port
    {
        PortsDirectory use(ports.dir());
        const Outcome scan = RunCli("scan", true);
        EXPECT_EQ(scan.status, 1);
        EXPECT_NE(scan.out.find("No modem answered on COM1 to COM254.\n"), std::string::npos) << scan.out;
        EXPECT_NE(scan.out.find("  " + ports.dir() + "/com2 -> /dev/null (COM2)\n"), std::string::npos) << scan.out;
        EXPECT_NE(scan.out.find("storage mode and needs mode switching"), std::string::npos) << scan.out;

        const Outcome verbose = RunCli("scan --verbose");
        EXPECT_EQ(verbose.status, 1);
        EXPECT_NE(verbose.out.find("COM2 "), std::string::npos);
        EXPECT_NE(verbose.out.find("could not open: "), std::string::npos) << verbose.out;
        EXPECT_NE(verbose.out.find("COM3-COM254 "), std::string::npos) << verbose.out;
    }
    ports.Link(33, "ttyUSB0");   // a USB modem port that does not answer
    PortsDirectory use(ports.dir());
    const Outcome scan = RunCli("scan", true);
    EXPECT_EQ(scan.status, 1);
    EXPECT_NE(scan.out.find("/com33 -> " + ports.dir() + "/ttyUSB0 (COM33)\n"), std::string::npos) << scan.out;
    EXPECT_EQ(scan.out.find("storage mode"), std::string::npos) << scan.out;

    const auto document = nlohmann::json::parse(RunCli("scan --json").out, nullptr, false);
    ASSERT_FALSE(document.is_discarded());
    ASSERT_EQ(document["serial_devices"].size(), 2u);
    EXPECT_EQ(document["serial_devices"][1]["port"], "COM33");
    EXPECT_EQ(document["serial_devices"][1]["usb_modem_port"], true);
    EXPECT_TRUE(document["hint"].is_null());
}

// Names from the file system are the system's text: the advice on stderr shows their
// control characters and odd bytes through a pipe too, and keeps the Cyrillic around them.
TEST(CliScanReport, DevicePathsInTheAdviceAreShownAsText) {
    ScratchPorts ports;
    ports.Link(2, std::string("te\x1b[2Jrm\x07\r ") + u8"модем" + "\xff");
    PortsDirectory use(ports.dir());
    const Outcome scan = RunArgs({"scan"}, Output::StdoutAndStderr);
    EXPECT_EQ(scan.status, 1);
    EXPECT_NE(scan.out.find(std::string("/te\\x1b[2Jrm\\x07\\x0d ") + u8"модем" + "\\xff (COM2)\n"), std::string::npos) << scan.out;
    EXPECT_EQ(scan.out.find_first_of("\x1b\x07\r"), std::string::npos) << scan.out;
}

// A device path goes to the system as given: not through 1251, and bytes that are no UTF-8
// at all are the system's business too.
TEST(CliModemsAt, ADevicePathWithCyrillicOrOddBytesOpens) {
    ScratchPorts ports;
    const std::string com5 = std::string(std::getenv("VESMARIN_PORTS")) + "/com5";
    for (const std::string name : {u8"модем", "odd\xff"}) {
        SCOPED_TRACE(name);
        const std::string dir = ports.dir() + "/" + name;
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(symlink(com5.c_str(), (dir + "/com5").c_str()), 0);
        const Outcome at = RunArgs({"at", dir + "/com5", "AT+CGMM"}, Output::StdoutAndStderr);
        EXPECT_EQ(at.status, 0) << at.out;
        EXPECT_NE(at.out.find("E173"), std::string::npos) << at.out;
    }
    const Outcome missing = RunArgs({"at", ports.dir() + u8"/модем" + "/nothing\xff", "AT"}, Output::StdoutAndStderr);
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.out.find("cannot open " + ports.dir() + u8"/модем" + "/nothing\\xff: No such file"), std::string::npos)
        << missing.out;
}

TEST(CliScanReport, AtRefusesControlCharactersBeforeTouchingThePort) {
    // COM3 is silent: a command that reached it would take 2000 ms and end with status 1.
    const std::string commands[] = {"AT\rATI", "AT\nATI", "AT\r",   "\tAT",   "AT\x1b[2J",
                                    "AT\x7f",  "AT\x01",  "ATI\x1f", "A\x08T"};
    for (const auto& command : commands) {
        for (const char* port : {"COM3", "COM5"}) {
            Outcome at;
            const long long ms = MsToRun({"at", port, command}, &at);
            EXPECT_EQ(at.status, 2) << port << " " << command << ": " << at.out;
            EXPECT_LT(ms, 1500) << command;
            EXPECT_NE(at.out.find("control character \\x"), std::string::npos) << at.out;
        }
    }
    // The same commands without control characters do reach the modem.
    EXPECT_EQ(RunCli("at COM5 ATI").status, 0);
    EXPECT_EQ(RunCli("at COM3 ATI").status, 1);
}

// ---------------------------------------------------------------------------------------
// Layout CliHostile: a modem's escape sequences must not reach a terminal as such.

constexpr char kHostileModel[] = "\x1b]0;owned\x07X\x1b[2J\x7f";
constexpr char kShownModel[] = "\\x1b]0;owned\\x07X\\x1b[2J\\x7f";

TEST(CliHostileScan, EntriesAreShownOnATerminalAndThroughAPipe) {
    const Outcome terminal = RunArgs({"scan"}, Output::Terminal);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_NE(terminal.out.find(std::string(kShownModel) + " (COM5)\n"), std::string::npos) << terminal.out;
    EXPECT_EQ(terminal.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(terminal.out.find('\x07'), std::string::npos);

    // Text for people: a pager or `head` would pass the bytes on to the terminal.
    EXPECT_EQ(RunCli("scan").out, std::string(kShownModel) + " (COM5)\n");
    EXPECT_NE(RunCli("scan --verbose").out.find(std::string("modem: \"") + kShownModel), std::string::npos);

    const Outcome verbose = RunArgs({"scan", "--verbose"}, Output::Terminal);
    EXPECT_NE(verbose.out.find(std::string("modem: \"") + kShownModel + " (COM5)\""), std::string::npos)
        << verbose.out;
    EXPECT_EQ(verbose.out.find('\x1b'), std::string::npos);

    const auto document = nlohmann::json::parse(AfterProgress(RunArgs({"scan", "--json"}, Output::Terminal).out), nullptr, false);
    ASSERT_FALSE(document.is_discarded());
    EXPECT_EQ(document["entries"][0], std::string(kHostileModel) + " (COM5)");
}

TEST(CliHostileInfo, RowsAreShownOnATerminalAndJsonKeepsItsEscapes) {
    const Outcome terminal = RunArgs({"info", "COM5"}, Output::Terminal);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_NE(terminal.out.find(std::string(u8"\nМодель: ") + kShownModel + "\n"), std::string::npos)
        << terminal.out;
    EXPECT_NE(terminal.out.find(u8"Производитель: Maker\\x08\\x08\\x08\\x08\\x08Fake!\n"),
              std::string::npos);
    EXPECT_EQ(terminal.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(terminal.out.find('\x08'), std::string::npos);

    EXPECT_NE(RunCli("info COM5").out.find(std::string(u8"\nМодель: ") + kShownModel + "\n"),
              std::string::npos);

    const Outcome json = RunArgs({"info", "--json", "COM5"}, Output::Terminal);
    EXPECT_NE(json.out.find("\\u001b]0;owned\\u0007X"), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find('\x1b'), std::string::npos);
}

TEST(CliHostileAt, ReplyIsShownOnATerminalUnlessRawAndRawThroughAPipe) {
    const std::string rawReply = std::string("\r\n") + kHostileModel + "\r\n\r\nOK\r\n";
    const Outcome terminal = RunArgs({"at", "COM5", "AT+CGMM"}, Output::Terminal);
    EXPECT_EQ(terminal.status, 0);
    EXPECT_EQ(terminal.out, std::string("\r\n") + kShownModel + "\r\n\r\nOK\r\n");

    const Outcome raw = RunArgs({"at", "--raw", "COM5", "AT+CGMM"}, Output::Terminal);
    EXPECT_EQ(raw.status, 0);
    EXPECT_EQ(raw.out, rawReply);

    EXPECT_EQ(RunCli("at COM5 AT+CGMM").out, rawReply);
}

TEST(CliHostileAt, NulBytesAreKeptAndAFullBufferIsSaidToBeCut) {
    ASSERT_EQ(RunCli("at COM5 ATE0").status, 0);   // whatever ran before
    const char withNuls[] = "\r\nA\0B\0C\r\n\r\nOK\r\n";
    const std::string reply(withNuls, sizeof withNuls - 1);
    const Outcome piped = RunArgs({"at", "COM5", "AT+NUL"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, reply);
    EXPECT_EQ(RunArgs({"at", "--raw", "COM5", "AT+NUL"}, Output::Terminal).out, reply);
    EXPECT_EQ(RunArgs({"at", "COM5", "AT+NUL"}, Output::Terminal).out, "\r\nA\\x00B\\x00C\r\n\r\nOK\r\n");

    const Outcome flood = RunCli("at COM5 AT+FLOOD", true);
    EXPECT_EQ(flood.status, 0);
    EXPECT_EQ(flood.out.size(), 65535u + std::strlen("vesmarin-cli at: reply cut at 65535 bytes\n"));
    EXPECT_EQ(flood.out.substr(65532), "xxxvesmarin-cli at: reply cut at 65535 bytes\n");
    EXPECT_EQ(RunCli("at COM5 AT+NUL", true).out.find("cut"), std::string::npos);
}

TEST(CliHostileTerm, TheRestOfACutReplyDoesNotBecomeTheNextCommandsReply) {
    ASSERT_EQ(RunCli("at COM5 ATE0").status, 0);
    char input[] = "/tmp/vesmarin-term-in-XXXXXX";
    const int fd = mkstemp(input);
    ASSERT_GE(fd, 0);
    const std::string lines = "AT+BIGFLOOD\nAT+CGMI\n";
    ASSERT_EQ(write(fd, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    close(fd);
    const Outcome run = RunCli(std::string("term COM5 <") + input, true);
    unlink(input);
    EXPECT_EQ(run.status, 0);
    const std::string cut = "\nvesmarin-cli term: reply cut at 65535 bytes\n";
    const size_t cutAt = run.out.find(cut);
    ASSERT_NE(cutAt, std::string::npos) << run.out.substr(0, 200);
    EXPECT_EQ(cutAt, std::strlen("cmd> AT+BIGFLOOD\n") + 65535);
    EXPECT_EQ(run.out.substr(cutAt + cut.size()),
              "cmd> AT+CGMI\n\r\nMaker\x08\x08\x08\x08\x08" "Fake!\r\n\r\nOK\r\n\n");
}

TEST(CliHostileMessages, ArgumentsInMessagesAreShownOnATerminal) {
    const struct {
        std::vector<std::string> args;
        const char* shown;
    } cases[] = {
        {{"\x1b[2J"}, "'\\x1b[2J'"},                            // unknown command
        {{"at", "COM5\x1b]0;x\x07", "AT"}, "COM5\\x1b]0;x\\x07"},  // bad port
        {{"at", "\xff\xfe", "AT"}, "'\\xff\\xfe'"},                // invalid UTF-8
        {{"info", "/dev/null\x1b[2J"}, "/dev/null\\x1b[2J"},       // a path that will not open
        {{"scan", "--\x9b"}, "'--\\x9b'"},
    };
    for (const auto& c : cases) {
        const Outcome terminal = RunArgs(c.args, Output::Terminal);
        EXPECT_EQ(terminal.status, 2) << c.shown;
        EXPECT_NE(terminal.out.find(c.shown), std::string::npos) << terminal.out;
        EXPECT_EQ(terminal.out.find('\x1b'), std::string::npos) << c.shown;
    }
}

// ---------------------------------------------------------------------------------------
// Layout CliBuyCode: the shop page after the table, as the window's buy-code cell offers it.

TEST(CliBuyCode, TheListedModelsNameTheirPageAndOthersNone) {
    const std::string base = ShopBaseUrl;
    const struct {
        const char* port;
        const char* model;
        std::string page;   // empty: no page
    } cases[] = {
        {"COM5", "E173", base + std::to_string(ProductNumber1)},
        {"COM6", "E1550", base + std::to_string(ProductNumber1)},
        {"COM7", "E3531s-1", base + std::to_string(ProductNumber2)},
        {"COM8", "E3372h-153", base + std::to_string(ProductNumber3)},
        {"COM9", "ZW900", ""},
    };
    for (const auto& c : cases) {
        const Outcome text = RunCli(std::string("info ") + c.port);
        ASSERT_EQ(text.status, 0) << c.port;
        EXPECT_NE(text.out.find(std::string(u8"\nМодель: ") + c.model + "\n"), std::string::npos)
            << text.out;
        const std::string lastRow = u8"\n + Показать доп. информацию: \n";
        const size_t tableEnd = text.out.find(lastRow);
        ASSERT_NE(tableEnd, std::string::npos) << text.out;
        EXPECT_EQ(text.out.substr(tableEnd + lastRow.size()),
                  c.page.empty() ? "" : u8"Купить код: " + c.page + "\n")
            << c.model;

        const Outcome json = RunCli(std::string("info --json ") + c.port);
        ASSERT_EQ(json.status, 0) << c.port;
        const auto document = nlohmann::json::parse(json.out, nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << json.out;
        ASSERT_TRUE(document.contains("buy_code_url")) << json.out;
        if (c.page.empty()) {
            EXPECT_TRUE(document["buy_code_url"].is_null()) << json.out;
        } else {
            EXPECT_EQ(document["buy_code_url"], c.page) << json.out;
        }
    }
}

}  // namespace
