// The per-port account of a scan, from made-up probe results: the words for each outcome,
// absent ports in runs, the JSON shape and the advice when nothing answered.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "cli/report/scan_report.h"

namespace {

PortResult Result(int port, ProbeOutcome outcome, uint32_t ms = 0, const std::string& model = "") {
    PortResult result;
    result.portNumber = port;
    result.outcome = outcome;
    result.elapsedMs = ms;
    if (outcome == ProbeOutcome::Listed) {
        result.modelText = model;
        result.entry = model + " (COM" + std::to_string(port) + ")";
        result.echoOffCount = 6;
        result.modelCount = 14;
    }
    return result;
}

// Every port from 1 to 254 absent except those given.
std::vector<PortResult> Scan(const std::vector<PortResult>& present) {
    std::vector<PortResult> results;
    size_t next = 0;
    for (int n = 1; n <= 254; ++n) {
        if (next < present.size() && present[next].portNumber == n) {
            results.push_back(present[next++]);
        } else {
            results.push_back(Result(n, ProbeOutcome::NoDevice, n == 200 ? 3 : 0));
        }
    }
    return results;
}

TEST(ScanReport, WhyNoModel) {
    const struct {
        const char* model;
        bool isModel;
    } cases[] = {
        {"E173", true},        {"", false},          {"ERROR", false},        {"+CME ERROR: 10", false},
        {"+CMS ERROR: 500", false}, {"COMMAND NOT SUPPORT", false}, {"AT+CGMM", false},
        {"ERRORS", true},      {"error", true},      {"E1550 ERROR", true},
    };
    for (const auto& c : cases) EXPECT_EQ(WhyNoModel(c.model) == nullptr, c.isModel) << c.model;
}

TEST(ScanReport, OneLinePerPortThatWasThereAndAbsentPortsInRuns) {
    PortResult busy = Result(7, ProbeOutcome::OpenFailed, 1);
    busy.openError = "/dev/ttyUSB2 is in use by dialer (pid 42)";
    PortResult echoOnly = Result(8, ProbeOutcome::Silent, 1500);
    echoOnly.echoOffCount = 6;
    const std::string lines = ReportLines(Scan({
        Result(1, ProbeOutcome::Silent, 2004),
        Result(3, ProbeOutcome::Listed, 112, "E173"),
        Result(4, ProbeOutcome::Listed, 108, "ERROR"),
        Result(5, ProbeOutcome::Listed, 108, ""),
        Result(6, ProbeOutcome::NotListed, 60),
        busy,
        echoOnly,
        Result(254, ProbeOutcome::Listed, 100, "AT+CGMM"),
    }));
    const std::string expected =
        "COM1            2004 ms  opened but silent: no reply to ATE0 or AT+CGMM within 1000 ms\n"
        "COM2               0 ms  absent\n"
        "COM3             112 ms  modem: \"E173 (COM3)\"\n"
        "COM4             108 ms  answered without a model (an error reply), listed as \"ERROR (COM4)\"\n"
        "COM5             108 ms  answered without a model (the first line is empty or OK), listed as \" (COM5)\"\n"
        "COM6              60 ms  answered AT+CGMM with a reply that begins with a 0 byte: not listed\n"
        "COM7               1 ms  could not open: /dev/ttyUSB2 is in use by dialer (pid 42)\n"
        "COM8            1500 ms  opened; answered ATE0 but not AT+CGMM within 1000 ms\n"
        "COM9-COM253        3 ms  absent\n"
        "COM254           100 ms  answered without a model (it echoed the command: ATE0 did not switch its "
        "echo off), listed as \"AT+CGMM (COM254)\"\n";
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ReportLines(Scan({})), "COM1-COM254        3 ms  absent\n");
    EXPECT_EQ(ReportLines({}), "");
}

TEST(ScanReport, JsonNamesEachResultAndListsTheEntries) {
    PortResult busy = Result(7, ProbeOutcome::OpenFailed, 1);
    busy.openError = "Access is denied.";
    const auto document = nlohmann::json::parse(ReportJson(
        Scan({Result(3, ProbeOutcome::Silent, 2000), Result(5, ProbeOutcome::Listed, 100, "E173"),
              Result(6, ProbeOutcome::Listed, 100, "ERROR"), busy}),
        {}, true));
    ASSERT_EQ(document["ports"].size(), 4u);
    EXPECT_EQ(document["ports"][0]["port"], "COM3");
    EXPECT_EQ(document["ports"][0]["result"], "silent");
    EXPECT_EQ(document["ports"][0]["ms"], 2000);
    EXPECT_EQ(document["ports"][1]["result"], "modem");
    EXPECT_EQ(document["ports"][1]["model"], "E173");
    EXPECT_EQ(document["ports"][1]["modelReplyBytes"], 14);
    EXPECT_EQ(document["ports"][2]["result"], "no-model");
    EXPECT_EQ(document["ports"][3]["result"], "cannot-open");
    EXPECT_EQ(document["ports"][3]["reason"], "Access is denied.");
    EXPECT_EQ(document["entries"], nlohmann::json({"E173 (COM5)", "ERROR (COM6)"}));
    ASSERT_EQ(document["absent"].size(), 3u);
    EXPECT_EQ(document["absent"][0], nlohmann::json({{"first", "COM1"}, {"last", "COM2"}, {"ms", 0}}));
    EXPECT_EQ(document["absent"][1], nlohmann::json({{"first", "COM4"}, {"last", "COM4"}, {"ms", 0}}));
    EXPECT_EQ(document["absent"][2]["last"], "COM254");
    // Something answered: no device survey.
    EXPECT_FALSE(document.contains("serialDevices"));
}

TEST(ScanReport, NothingFoundListsDevicesAndHintsAtStorageModeOnlyWithoutUsbPorts) {
    SerialDevice uart{"/dev/ttyS0", "", 1, false, true, false, {}};
    SerialDevice locked{"/dev/ttyS1", "", 2, false, false, false, {}};
    SerialDevice stick{"/dev/ttyUSB0", "", 33, true, true, false, {}};
    SerialDevice far{"/dev/ttyUSB40", "", 0, true, true, false, {}};

    const std::string none = NothingFoundAdvice({});
    EXPECT_NE(none.find("No serial devices"), std::string::npos);
    EXPECT_NE(none.find("storage mode"), std::string::npos);
    // Each case has its own account: nothing speaks of devices that are not there.
    EXPECT_EQ(none.find("None of them"), std::string::npos) << none;
    EXPECT_EQ(nlohmann::json::parse(ReportJson(Scan({}), {}, true))["hint"].get<std::string>().find("None of them"),
              std::string::npos);

    const std::string uartOnly = NothingFoundAdvice({uart, locked});
    EXPECT_NE(uartOnly.find("  /dev/ttyS0 (COM1)\n"), std::string::npos) << uartOnly;
    EXPECT_NE(uartOnly.find("  /dev/ttyS1 (COM2): no read and write permission (the dialout group"),
              std::string::npos);
    EXPECT_NE(uartOnly.find("mode switching"), std::string::npos);

    const std::string withStick = NothingFoundAdvice({uart, stick, far});
    EXPECT_NE(withStick.find("  /dev/ttyUSB0 (COM33)\n"), std::string::npos);
    EXPECT_NE(withStick.find("  /dev/ttyUSB40\n"), std::string::npos);
    EXPECT_EQ(withStick.find("storage mode"), std::string::npos);
    EXPECT_NE(withStick.find("USB modem ports among them did not answer"), std::string::npos) << withStick;
    EXPECT_EQ(uartOnly.find("did not answer"), std::string::npos) << uartOnly;

    const auto document = nlohmann::json::parse(ReportJson(Scan({}), {uart, far}, true));
    ASSERT_EQ(document["serialDevices"].size(), 2u);
    EXPECT_EQ(document["serialDevices"][0]["port"], "COM1");
    EXPECT_FALSE(document["serialDevices"][1].contains("port"));
    EXPECT_FALSE(document.contains("hint"));   // ttyUSB40 is a USB modem port
    EXPECT_TRUE(nlohmann::json::parse(ReportJson(Scan({}), {uart}, true)).contains("hint"));
    // Where nothing was surveyed (Windows) the report says nothing about devices.
    EXPECT_FALSE(nlohmann::json::parse(ReportJson(Scan({}), {}, false)).contains("serialDevices"));
}

}  // namespace
