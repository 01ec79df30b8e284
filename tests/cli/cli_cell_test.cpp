// vesmarin-cli cell against simulated modems (layout CliCell): the facts of each family as
// JSON, the text's layout, and the modem left as found when the reading completes, when the
// modem falls silent or goes away midway, and when the reading is stopped. And the radio
// session itself on those modems: the probe once per session, none once the family is known.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "link/port_session.h"
#include "radio/radio_session.h"
#include "tests/cli/run_cli.h"
#include "tests/support/modem_transcript.h"

namespace {

CliOutcome RunCli(const std::string& args) { return RunCliCommand(args, CliStderr::Separate); }

std::vector<std::string> Received(int port) {
    std::vector<std::string> lines;
    ReceivedByModem(port, &lines);
    return lines;
}

// The commands sent, in order, without their carriage returns.
std::string Commands(int port) {
    std::string joined;
    for (std::string line : Received(port)) {
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\\r") == 0) line.resize(line.size() - 2);
        joined += line + ";";
    }
    return joined;
}

TEST(CliCell, EachFamilyGivesItsFactsAsJson) {
    const struct {
        int port;
        const char* rat;
        nlohmann::json band, channel, pci, cellId, rsrp, rsrq, sinr, rssi;
        const char* rsrpSource;
    } cases[] = {
        {5, "LTE", 3, 1300, 102, 10662852, -95, -9.5, 12.2, -65, "AT^HCSQ?"},
        {6, "LTE", nullptr, nullptr, nullptr, 27447297, -103, -11, nullptr, nullptr, "AT+CESQ"},
        // One-line +QENG: SINR 160 on the 0..250 scale is 12 dB.
        {7, "LTE", 3, 1300, 301, 27447297, -85, -11, 12, -55, "AT+QENG=\"servingcell\""},
        {8, "LTE", 3, 1300, 372, 27447297, -85, -9.4, 12, -57.7, "AT+CPSI?"},
        {9, "UMTS", nullptr, nullptr, nullptr, 41394, nullptr, nullptr, nullptr, -77, nullptr},
        // Two-line +QENG: SINR 7 is dB; the unsolicited report before it is passed over.
        {10, "LTE", 20, 6300, 45, 45335765, -102, -14, 7, -70, "AT+QENG=\"servingcell\""},
        // Standalone NR, registered on the 5G core only: the NR cell at the top, a 36-bit id.
        {18, "NR", 78, 627264, 500, 4295434240LL, -92, -11, 15, nullptr, "AT+QENG=\"servingcell\""},
        // EN-DC: the LTE anchor at the top.
        {19, "LTE+NR", 3, 1300, 102, 27447297, -88, -10, 14, -58, "AT+QENG=\"servingcell\""},
        // Standards only on SA: +CESQ's NR fields are the serving cell's.
        {20, "NR", nullptr, nullptr, nullptr, 4295434240LL, -91, -14.5, 14, nullptr, "AT+CESQ"},
    };
    for (const auto& c : cases) {
        const CliOutcome cell = RunCli("cell --json COM" + std::to_string(c.port));
        ASSERT_EQ(cell.status, 0) << c.port << ": " << cell.err;
        const auto doc = nlohmann::json::parse(cell.out, nullptr, false);
        ASSERT_TRUE(doc.is_object()) << cell.out;
        EXPECT_EQ(doc["rat"], c.rat) << c.port;
        EXPECT_EQ(doc["registration"], c.port == 7 ? "roaming" : "home") << c.port;
        EXPECT_EQ(doc["reason"], nullptr) << c.port;
        EXPECT_EQ(doc["band"], c.band) << c.port;
        EXPECT_EQ(doc["channel"], c.channel) << c.port;
        EXPECT_EQ(doc["pci"], c.pci) << c.port;
        EXPECT_EQ(doc["cell_id"], c.cellId) << c.port;
        EXPECT_EQ(doc["rsrp"], c.rsrp) << c.port;
        EXPECT_EQ(doc["rsrq"], c.rsrq) << c.port;
        EXPECT_EQ(doc["sinr"], c.sinr) << c.port;
        EXPECT_EQ(doc["rssi"], c.rssi) << c.port;
        EXPECT_EQ(doc["source"]["rsrp"], c.rsrpSource ? nlohmann::json(c.rsrpSource) : nlohmann::json()) << c.port;
        // Every key is there whatever the modem knew.
        for (const char* key : {"operator", "operator_numeric", "channel_kind", "tac", "lac", "enb_id", "sector",
                                "rsrp_grade", "rsrq_grade", "sinr_grade", "rssi_grade", "rscp", "ecno", "bandwidth_mhz",
                                "nr", "carriers", "notes"}) {
            EXPECT_TRUE(doc.contains(key)) << c.port << " " << key;
        }
        // No ATE0, ever: the echo stays and the parsers read past it.
        EXPECT_EQ(Commands(c.port).find("ATE"), std::string::npos) << Commands(c.port);
    }
}

// The one probe rule, as the reading process hands it on (radio_family, read back tolerantly
// from --radio-family) and as `cell` meets it: COMMAND NOT SUPPORT and an ERROR after an
// unsolicited line pass to the next family, a reply past an unsolicited line counts, OK without
// the family's line is no family, and silence decides nothing.
TEST(CliCell, OneProbeRuleForEveryReading) {
    const struct {
        int port;
        const char* given;   // --radio-family
        nlohmann::json family, rat;
    } signals[] = {
        {14, "", "+CPSI", "LTE"},   {14, "none", "none", nullptr}, {15, "", "none", nullptr},
        {16, "", nullptr, nullptr}, {16, "+QENG", "+QENG", "LTE"}, {10, "+XYZ", "+QENG", "LTE"},
        {6, "", "+CESQ", "LTE"},    {17, "", "+QENG", "LTE+NR"},
    };
    for (const auto& c : signals) {
        const std::string port = std::string(std::getenv("VESMARIN_PORTS")) + "/com" + std::to_string(c.port);
        const CliOutcome read = RunCli("read-modem signal " + port + (*c.given ? " --radio-family '" + std::string(c.given) + "'" : ""));
        const auto doc = nlohmann::json::parse(read.out, nullptr, false);
        ASSERT_TRUE(doc.is_object()) << c.port << ": " << read.out << read.err;
        EXPECT_EQ(doc["radio_family"], c.family) << c.port << " " << c.given;
        EXPECT_EQ(doc["rat"], c.rat) << c.port << " " << c.given;
    }
    const struct {
        int port;
        int status;
        const char* rat;
        nlohmann::json rsrpSource;
    } cells[] = {
        {14, 0, "LTE", "AT+CPSI?"},
        {15, 0, "UMTS", nullptr},
        {16, 1, nullptr, nullptr},
        // The family's serving cell outranks +COPS and +CEREG, and its NR leg makes LTE+NR.
        {17, 0, "LTE+NR", "AT+QENG=\"servingcell\""},
    };
    for (const auto& c : cells) {
        const CliOutcome cell = RunCli("cell --json COM" + std::to_string(c.port));
        EXPECT_EQ(cell.status, c.status) << c.port << ": " << cell.err;
        if (c.status != 0) {
            EXPECT_NE(cell.err.find("no reply from COM16 to AT^HCSQ? within 2000 ms"), std::string::npos) << cell.err;
            continue;
        }
        const auto doc = nlohmann::json::parse(cell.out, nullptr, false);
        EXPECT_EQ(doc["rat"], c.rat) << c.port;
        EXPECT_EQ(doc["source"]["rsrp"], c.rsrpSource) << c.port;
    }
}

TEST(CliCell, SettingsChangedForTheReadingAreSetBackAtOnce) {
    // The standards-only module starts in registration mode 0 and long operator names: each
    // is changed for one read and set back before the next command.
    const std::string sent = Commands(6);
    EXPECT_NE(sent.find("AT+CEREG?;AT+CEREG=2;AT+CEREG?;AT+CEREG=0;"), std::string::npos) << sent;
    EXPECT_NE(sent.find("AT+COPS?;AT+COPS=3,2;AT+COPS?;AT+COPS=3,0;"), std::string::npos) << sent;
    // A modem already in mode 2 (the caret stick) gets no set command at all.
    EXPECT_EQ(Commands(5).find("AT+CEREG="), std::string::npos) << Commands(5);
}

// The 5G modules: the NR leg beside the anchor, every carrier with the primary first, NR's
// figures graded as LTE's, and +C5GREG's report mode read, changed for one read and set back.
TEST(CliCell, FiveGModulesGiveTheNrLegAndTheCarriers) {
    const CliOutcome endc = RunCli("cell --json COM19");
    ASSERT_EQ(endc.status, 0) << endc.err;
    const auto doc = nlohmann::json::parse(endc.out, nullptr, false);
    ASSERT_TRUE(doc.is_object()) << endc.out;
    EXPECT_EQ(doc["channel_kind"], "EARFCN");
    EXPECT_EQ(doc["bandwidth_mhz"], 20);
    EXPECT_EQ(doc["enb_id"], 107216);
    const auto& nr = doc["nr"];
    EXPECT_EQ(nr["band"], 78);
    EXPECT_EQ(nr["channel"], 627264);
    EXPECT_EQ(nr["pci"], 500);
    EXPECT_EQ(nr["bandwidth_mhz"], 100);
    EXPECT_EQ(nr["rsrp"], -84);
    EXPECT_EQ(nr["rsrp_grade"], "good");
    EXPECT_EQ(nr["sinr"], 18);
    EXPECT_EQ(nr["sinr_grade"], "good");
    EXPECT_EQ(nr["rsrq"], -11);
    EXPECT_EQ(nr["source"]["rsrp"], "AT+QENG=\"servingcell\"");
    ASSERT_EQ(doc["carriers"].size(), 3u) << doc["carriers"];
    EXPECT_EQ(doc["carriers"][0],
              nlohmann::json::parse(R"({"role":"pcc","rat":"LTE","band":3,"channel":1300,"bandwidth_mhz":20,"pci":102,)"
                                    R"("state":"active","rsrp":-88,"rsrq":-10,"rssi":-58,"sinr":14})"));
    EXPECT_EQ(doc["carriers"][2]["rat"], "NR");
    EXPECT_EQ(doc["carriers"][2]["band"], 78);
    EXPECT_EQ(doc["source"]["carriers"], "AT+QCAINFO");
    EXPECT_EQ(doc["notes"].size(), 1u) << doc["notes"];

    const CliOutcome sa = RunCli("cell --json COM18");
    const auto standalone = nlohmann::json::parse(sa.out, nullptr, false);
    ASSERT_TRUE(standalone.is_object()) << sa.out << sa.err;
    EXPECT_EQ(standalone["registration"], "home");
    EXPECT_EQ(standalone["source"]["registration"], "AT+C5GREG?");
    EXPECT_EQ(standalone["channel_kind"], "NR-ARFCN");
    EXPECT_EQ(standalone["tac"], 0xC3A1);
    EXPECT_EQ(standalone["enb_id"], nullptr);
    EXPECT_EQ(standalone["nr"], nullptr);
    ASSERT_EQ(standalone["carriers"].size(), 2u);
    EXPECT_EQ(standalone["carriers"][1]["band"], 28);
    EXPECT_EQ(standalone["carriers"][1]["bandwidth_mhz"], 15);
    EXPECT_EQ(nlohmann::json::parse(RunCli("cell --json COM20").out, nullptr, false)["carriers"], nullptr);

    // The reading process (the exporter's and watch --all's): the registration of the first
    // read that says registered, both legs, every carrier.
    const std::string ports = std::string(std::getenv("VESMARIN_PORTS")) + "/com";
    const auto child = [&](int port) {
        return nlohmann::json::parse(RunCli("read-modem signal " + ports + std::to_string(port)).out, nullptr, false);
    };
    const auto saLine = child(18);
    ASSERT_TRUE(saLine.is_object());
    EXPECT_EQ(saLine["registration"], 1);
    EXPECT_EQ(saLine["rat"], "NR");
    EXPECT_EQ(saLine["rsrp"], -92);
    EXPECT_EQ(saLine["carrier_count"], 2);
    const auto endcLine = child(19);
    ASSERT_TRUE(endcLine.is_object());
    EXPECT_EQ(endcLine["registration"], 1);
    EXPECT_EQ(endcLine["nr"]["rsrp"], -84);
    ASSERT_EQ(endcLine["carriers"].size(), 3u);
    EXPECT_EQ(endcLine["carriers"][1]["band"], 20);
    EXPECT_EQ(child(20)["registration"], 1);

    for (int port : {18, 20}) {
        const std::string sent = Commands(port);
        EXPECT_NE(sent.find("AT+C5GREG?;AT+C5GREG=2;AT+C5GREG?;AT+C5GREG=0;"), std::string::npos) << sent;
    }
    // Registered on EPS, not on the 5G core: +C5GREG's "not registered" is passed over.
    EXPECT_EQ(Commands(19).find("AT+C5GREG="), std::string::npos) << Commands(19);

    const CliOutcome text = RunCli("cell COM19");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("  NR leg\n    band        n78"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("    SCC NR    n78   627264   100 MHz    500   -84 dBm     -"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  bandwidth     20 MHz"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  note: SINR read as plain dB"), std::string::npos) << text.out;
    std::istringstream lines(text.out);
    for (std::string line; std::getline(lines, line);) {
        size_t characters = 0;
        for (unsigned char byte : line) characters += (byte & 0xC0) != 0x80;
        EXPECT_LE(characters, 80u) << line;
    }
}

TEST(CliCell, TextFitsEightyColumnsWithGradesAndSources) {
    const CliOutcome cell = RunCli("cell COM5");
    ASSERT_EQ(cell.status, 0) << cell.err;
    std::istringstream lines(cell.out);
    for (std::string line; std::getline(lines, line);) {
        // UTF-8: count characters, not bytes.
        size_t characters = 0;
        for (unsigned char byte : line) characters += (byte & 0xC0) != 0x80;
        EXPECT_LE(characters, 80u) << line;
    }
    EXPECT_NE(cell.out.find(u8"-95 dBm     Удовлетворительно       AT^HCSQ?"), std::string::npos) << cell.out;
    EXPECT_NE(cell.out.find("eNB / sector  41651 / 196"), std::string::npos) << cell.out;
}

TEST(CliCell, AModemSilentMidwayEndsWithExitOneAndItsModeSetBack) {
    const CliOutcome cell = RunCli("cell COM11");
    EXPECT_EQ(cell.status, 1);
    EXPECT_EQ(cell.out, "");
    EXPECT_NE(cell.err.find("no reply from COM11 to AT+CEREG? within 2000 ms"), std::string::npos) << cell.err;
    const std::string sent = Commands(11);
    EXPECT_NE(sent.find("AT+CEREG=2;AT+CEREG?;AT+CEREG=0;"), std::string::npos) << sent;
}

TEST(CliCell, AModemThatGoesAwayEndsWithThePortsErrorAndSaysWhatStaysChanged) {
    const CliOutcome cell = RunCli("cell COM12");
    EXPECT_EQ(cell.status, 1);
    EXPECT_NE(cell.err.find("the modem on COM12 went away at AT+CEREG=2: "), std::string::npos) << cell.err;
    EXPECT_NE(cell.err.find("could not set back what the reading changed on COM12 (AT+CEREG=1)"), std::string::npos)
        << cell.err;
}

// `cell COM13` in a process of its own with its output dropped; `ignored`, when not 0, is a
// signal it starts with ignored (as under nohup).
pid_t StartQuietCell(int ignored) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (ignored != 0) signal(ignored, SIG_IGN);
        ExecCli({"cell", "COM13"});
    }
    return child;
}

TEST(CliCell, StoppedWhileAModeIsChangedSetsItBackBeforeEnding) {
    const pid_t child = StartQuietCell(0);
    ASSERT_GE(child, 0);
    // Wait for the event, not for a time: the set command has reached the modem.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (Commands(13).find("AT+CEREG=2;") == std::string::npos && std::chrono::steady_clock::now() < giveUp) {
        usleep(10000);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string sent = Commands(13);
    EXPECT_NE(sent.find("AT+CEREG=2;"), std::string::npos) << sent;
    // Stopped before the location was read, and the mode put back as the last command.
    const std::string tail = "AT+CEREG=1;";
    ASSERT_GE(sent.size(), tail.size());
    EXPECT_EQ(sent.compare(sent.size() - tail.size(), tail.size(), tail), 0) << sent;
}

// Every signal that would end the tool is a stop request of its own: whenever it comes after
// the mode was changed (at a random point of the 1.5 s the modem takes to answer), the mode
// is set back as the last command. SIGPIPE, which the tool ignores, and a SIGHUP ignored
// from the start (nohup) let the reading complete, with the mode set back all the same.
TEST(CliCell, EveryEndingSignalSetsTheModeBackBeforeEnding) {
    const struct {
        int signalNumber;
        bool ignoredAtStart;
        int status;
    } cases[] = {
        {SIGHUP, false, 1},  {SIGINT, false, 1},  {SIGQUIT, false, 1}, {SIGUSR1, false, 1}, {SIGUSR2, false, 1},
        {SIGALRM, false, 1}, {SIGVTALRM, false, 1}, {SIGPIPE, false, 0}, {SIGHUP, true, 0},
    };
    std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const auto count = [](const std::string& text, const std::string& what) {
        size_t found = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++found;
        return found;
    };
    for (const auto& c : cases) {
        const std::string before = Commands(13);
        const size_t setsBefore = count(before, "AT+CEREG=2;");
        const pid_t child = StartQuietCell(c.ignoredAtStart ? c.signalNumber : 0);
        ASSERT_GE(child, 0);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (count(Commands(13), "AT+CEREG=2;") == setsBefore && std::chrono::steady_clock::now() < giveUp) {
            usleep(10000);
        }
        // Well within the modem's 1.5 s, so the reply is still awaited on a loaded machine.
        const int delayMs = std::uniform_int_distribution<int>(0, 700)(random);
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        kill(child, c.signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string what = std::string(strsignal(c.signalNumber)) + (c.ignoredAtStart ? " (ignored)" : "") +
                                 " after " + std::to_string(delayMs) + " ms";
        ASSERT_TRUE(WIFEXITED(status)) << what << ": " << status;
        EXPECT_EQ(WEXITSTATUS(status), c.status) << what;
        const std::string sent = Commands(13).substr(before.size());
        EXPECT_EQ(count(sent, "AT+CEREG=2;"), 1u) << what << ": " << sent;
        EXPECT_EQ(count(sent, "AT+CEREG=1;"), 1u) << what << ": " << sent;
        EXPECT_LT(sent.find("AT+CEREG=2;"), sent.find("AT+CEREG=1;")) << what << ": " << sent;
        if (c.status == 1) {
            const std::string tail = "AT+CEREG=1;";
            ASSERT_GE(sent.size(), tail.size());
            EXPECT_EQ(sent.compare(sent.size() - tail.size(), tail.size(), tail), 0) << what << ": " << sent;
        }
    }
}

// Two signal readings in one session, as watch takes them: the first probes (unless the family
// is remembered from an earlier session), the second asks the family alone. Silence in the
// probe ends the reading and decides nothing.
TEST(CliCellRadioSession, ProbesOncePerSessionAndNeverOnceTheFamilyIsKnown) {
    const struct {
        int port;
        const char* remembered;   // RadioFamilyText of an earlier session; "" untried
        bool allQueries;
        const char* first;        // the commands of each reading, ";"-ended
        const char* second;
        const char* family;       // after the readings; "" untried
        CellOutcome outcome;
        double rsrp;              // of the first reading; 0 unknown
    } cases[] = {
        {7, "", false, "AT^HCSQ?;AT+QENG=\"servingcell\";", "AT+QENG=\"servingcell\";", "+QENG", CellOutcome::Read, -85},
        {7, "+QENG", false, "AT+QENG=\"servingcell\";", "AT+QENG=\"servingcell\";", "+QENG", CellOutcome::Read, -85},
        {5, "", true, "AT^HCSQ?;AT^SYSINFOEX;AT^HFREQINFO?;AT^MONSC;", "AT^HCSQ?;AT^SYSINFOEX;AT^HFREQINFO?;AT^MONSC;",
         "^HCSQ", CellOutcome::Read, -95},
        {5, "^HCSQ", false, "AT^HCSQ?;", "AT^HCSQ?;", "^HCSQ", CellOutcome::Read, -95},
        {16, "", false, "AT^HCSQ?;", "AT^HCSQ?;", "", CellOutcome::NoReply, 0},
    };
    for (const auto& c : cases) {
        const std::string where = std::to_string(c.port) + " " + c.remembered;
        PortSession port((std::string(std::getenv("VESMARIN_PORTS")) + "/com" + std::to_string(c.port)).c_str());
        ASSERT_TRUE(port.IsOpen()) << where;
        RadioSession session(port.Handle());
        std::string sent;
        session.SetCommandObserver([](const char* command, void* into) { *static_cast<std::string*>(into) += std::string(command) + ";"; },
                                   &sent);
        if (*c.remembered) session.RememberFamily(RadioFamilyFromText(c.remembered));
        SignalScope scope;
        scope.allFamilyQueries = c.allQueries;
        RadioFacts facts;
        const CellReading first = session.ReadFamilySignal(&facts, scope, StopCheck{});
        EXPECT_EQ(sent, c.first) << where;
        EXPECT_EQ(first.outcome, c.outcome) << where;
        EXPECT_EQ(first.failedCommand, c.outcome == CellOutcome::Read ? "" : "AT^HCSQ?") << where;
        const Metric& rsrp = facts.Get(MetricKind::Rsrp);
        EXPECT_EQ(rsrp.known ? rsrp.value : 0, c.rsrp) << where;
        sent.clear();
        session.ReadFamilySignal(&facts, scope, StopCheck{});
        EXPECT_EQ(sent, c.second) << where;
        EXPECT_STREQ(RadioFamilyText(session.Family()), c.family) << where;
        EXPECT_FALSE(session.PortLost()) << where;
    }
}

}  // namespace
