// The per-port account of a scan, from made-up probe results: the words for each outcome,
// absent ports in runs, the JSON shape and the advice when nothing answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "cli/report/scan_report.h"
#include "exporter/usb_device_metric.h"
#include "host/usb_modem_hints.h"
#include "host/windows_usb_nodes.h"

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
    EXPECT_EQ(document["ports"][1]["model_reply_bytes"], 14);
    EXPECT_EQ(document["ports"][2]["result"], "no-model");
    EXPECT_EQ(document["ports"][3]["result"], "cannot-open");
    EXPECT_EQ(document["ports"][3]["reason"], "Access is denied.");
    EXPECT_EQ(document["entries"], nlohmann::json({"E173 (COM5)", "ERROR (COM6)"}));
    ASSERT_EQ(document["absent"].size(), 3u);
    EXPECT_EQ(document["absent"][0], nlohmann::json({{"first", "COM1"}, {"last", "COM2"}, {"ms", 0}}));
    EXPECT_EQ(document["absent"][1], nlohmann::json({{"first", "COM4"}, {"last", "COM4"}, {"ms", 0}}));
    EXPECT_EQ(document["absent"][2]["last"], "COM254");
    // Something answered: no device survey.
    EXPECT_TRUE(document["serial_devices"].is_null());
}

// A stick's strings are its own bytes: a CR must not let it overwrite the line, and one
// invalid byte must not cost the Cyrillic around it.
TEST(ScanReport, TheDeviceLineShowsAStickStringsAsText) {
    DeviceIdentity stick;
    stick.device = "/dev/ttyUSB2";
    stick.usb = true;
    stick.vendorId = "f1e5";
    stick.productId = "0a17";
    stick.manufacturer = std::string("Zentra\rwave ") + u8"Модем" + "\xff";
    stick.product = "ZW\x1b[2J";
    const std::string line = DeviceLine(stick);
    EXPECT_NE(line.find("Zentra\\x0dwave \xcc\xee\xe4\xe5\xec\\xff"), std::string::npos) << line;
    EXPECT_NE(line.find("ZW\\x1b[2J"), std::string::npos) << line;
    EXPECT_EQ(line.find_first_of("\r\x1b"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '\n');

    const std::string advice = NothingFoundAdvice({{"/dev/tty\x1b[2J" + std::string(u8"ё"), "", 0, false, true, false, {}}});
    EXPECT_NE(advice.find("  /dev/tty\\x1b[2J\xb8\n"), std::string::npos) << advice;
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
    ASSERT_EQ(document["serial_devices"].size(), 2u);
    EXPECT_EQ(document["serial_devices"][0]["port"], "COM1");
    EXPECT_TRUE(document["serial_devices"][1]["port"].is_null());
    EXPECT_TRUE(document["hint"].is_null());   // ttyUSB40 is a USB modem port
    EXPECT_TRUE(nlohmann::json::parse(ReportJson(Scan({}), {uart}, true))["hint"].is_string());
    // Where nothing was surveyed (Windows) the report knows nothing about devices.
    EXPECT_TRUE(nlohmann::json::parse(ReportJson(Scan({}), {}, false))["serial_devices"].is_null());
}

// One style for scripts: snake_case keys, and every object of a kind with the same keys, what
// was not learned being null rather than left out.
void ExpectSnakeCase(const nlohmann::json& value) {
    if (value.is_array()) {
        for (const auto& item : value) ExpectSnakeCase(item);
    } else if (value.is_object()) {
        for (const auto& item : value.items()) {
            for (char c : item.key()) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') << item.key();
            ExpectSnakeCase(item.value());
        }
    }
}

std::vector<std::string> Keys(const nlohmann::json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    return keys;
}

TEST(ScanReport, JsonKeysAreSnakeCaseAndAlwaysPresent) {
    PortResult busy = Result(7, ProbeOutcome::OpenFailed, 1);
    busy.openError = "Access is denied.";
    PortResult identified = Result(5, ProbeOutcome::Listed, 100, "E173");
    identified.identified = true;
    identified.device.device = "/dev/ttyUSB2";
    identified.device.usb = true;
    identified.device.vendorId = "f1e5";
    const auto found = nlohmann::json::parse(
        ReportJson(Scan({Result(3, ProbeOutcome::Silent, 2000), identified, busy}), {}, true));
    SerialDevice far{"/dev/ttyUSB40", "", 0, true, true, false, {}};
    const auto nothing = nlohmann::json::parse(ReportJson(Scan({}), {far}, true));
    ExpectSnakeCase(found);
    ExpectSnakeCase(nothing);
    EXPECT_EQ(Keys(found), Keys(nothing));
    const auto& ports = found["ports"];
    for (const auto& port : ports) EXPECT_EQ(Keys(port), Keys(ports[0])) << port;
    EXPECT_TRUE(ports[0]["model"].is_null());
    EXPECT_TRUE(ports[0]["device"].is_null());
    EXPECT_TRUE(ports[2]["echo_off_reply_bytes"].is_null());
    EXPECT_EQ(ports[1]["device"]["usb"]["vendor_id"], "f1e5");
    EXPECT_TRUE(ports[1]["device"]["usb"]["manufacturer"].is_null());
    EXPECT_TRUE(ports[1]["device"]["by_id"].is_null());
    EXPECT_TRUE(nothing["serial_devices"][0]["target"].is_null());
}

// A USB interface from one compact row: number, class/subclass/protocol, endpoints, driver
// ("" none) and what hangs below it ("/dev/ttyUSB0", "net:usb0", "/dev/cdc-wdm0", "sr0").
UsbInterface Interface(const char* number, const char* classes, int endpoints, const char* driver,
                       std::vector<std::string> below = {}) {
    UsbInterface interface;
    interface.number = number;
    const std::string c = classes;
    interface.classCode = c.substr(0, 2);
    interface.subclass = c.substr(3, 2);
    interface.protocol = c.substr(6, 2);
    interface.endpoints = endpoints;
    interface.driver = driver;
    for (const auto& item : below) {
        if (item.compare(0, 8, "/dev/tty") == 0) interface.ports.push_back({item, UsbPortState::NotTried, ""});
        if (item.compare(0, 4, "net:") == 0) interface.netInterfaces.push_back(item.substr(4));
        if (item.compare(0, 12, "/dev/cdc-wdm") == 0) interface.controlDevices.push_back(item);
        if (item.compare(0, 2, "sr") == 0) {
            interface.cdRom = true;
            interface.cdDrives.push_back(item);
        }
    }
    return interface;
}

UsbDevice Device(std::vector<UsbInterface> interfaces) {
    UsbDevice device;
    device.usbPath = "1-2";
    device.vendorId = "f1e5";
    device.productId = "9001";
    device.manufacturer = "Zentrawave";
    device.interfaces = std::move(interfaces);
    return device;
}

std::string Modes(const UsbDevice& device) {
    std::string names;
    for (UsbMode mode : UsbModes(device)) names += std::string(names.empty() ? "" : ",") + UsbModeName(mode);
    return names;
}

// The cases the made-up sysfs trees of cli_sysfs_test.cpp do not hold.
TEST(UsbAccount, OneModePerDeviceInOrderAndTheOthersNamed) {
    const struct {
        const char* what;
        UsbDevice device;
        const char* modes;
        std::vector<std::string> advice;  // parts the advice holds, in this order
    } cases[] = {
        {"QMI module with one interface left",
         Device({Interface("03", "ff/ff/ff", 2, ""),
                 Interface("04", "ff/ff/ff", 3, "qmi_wwan", {"net:wwan0", "/dev/cdc-wdm0"})}),
         "qmi",
         {"speaks QMI, not AT commands, on its control device /dev/cdc-wdm0 (qmi_wwan).", "without a driver (03)",
          "  echo f1e5 9001 > /sys/bus/usb-serial/drivers/option1/new_id"}},
        {"router mode with its driver disc",
         Device({Interface("00", "e0/01/03", 1, "rndis_host", {"net:usb0"}),
                 Interface("01", "0a/00/00", 2, "rndis_host"), Interface("02", "08/06/50", 2, "usb-storage", {"sr0"})}),
         "network,storage",
         {"at the address of the gateway on usb0 of rndis_host", "It also shows CD drive sr0."}},
        {"interfaces without endpoints",
         Device({Interface("00", "ff/ff/ff", 0, ""), Interface("01", "ff/ff/ff", 0, "")}),
         "",
         {}},
        {"Ethernet adapter", Device({Interface("00", "ff/ff/00", 3, "r8152", {"net:eth1"})}), "", {}},
        {"USB disk", Device({Interface("00", "08/06/50", 2, "usb-storage")}), "", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Modes(c.device), c.modes) << c.what;
        const std::string advice = UsbAdvice(c.device);
        size_t at = 0;
        for (const auto& part : c.advice) {
            const size_t found = advice.find(part, at);
            EXPECT_NE(found, std::string::npos) << c.what << ": " << part << "\n" << advice;
            if (found != std::string::npos) at = found + part.size();
        }
        EXPECT_EQ(advice.empty(), c.advice.empty()) << c.what;
    }
}

// The rules file and the routing table, line by line (the trees hold their ordinary lines).
TEST(UsbAccount, StorageRulesAndRoutingTableLines) {
    const ModeSwitchIds ids = ParseModeSwitchRules(
        "ATTR{idVendor}==\"F1E5\", ATTR{idProduct}==\"1F01\", RUN+=\"usb_modeswitch '/%k'\"\n"
        "  # ATTR{idVendor}==\"f1e8\", ATTR{idProduct}==\"0001\"\n"
        "ENV{idVendor}==\"f1e9\", ATTR{idProduct}==\"0002\"\n"
        "ATTR{idVendor}==\"f1ea\", ATTR{idProduct}==\"zz\"\n");
    const struct {
        const char* vendor;
        const char* product;
        bool known;
    } rules[] = {{"f1e5", "1f01", true}, {"F1E5", "1F01", true}, {"f1e8", "0001", false},
                 {"f1e9", "0002", false}, {"f1ea", "0000", false}};
    for (const auto& r : rules)
        EXPECT_EQ(IsModeSwitchId(ids, r.vendor, r.product), r.known) << r.vendor << ":" << r.product;

    const std::string routes =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "usb0\t0008A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "usb0\t0000000A\t0208A8C0\t0003\t0\t0\t100\t000000FF\t0\t0\t0\n"
        "usb0\t00000000\t0108A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t50\t00000000\t0\t0\t0\n"
        "usb1\t0000000A\t0209A8C0\t0003\t0\t0\t100\t000000FF\t0\t0\t0\n"
        "usb2\t0009A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n";
    EXPECT_EQ(GatewayOn(routes, {"usb0"}), "192.168.8.1");  // the default route's, not the first
    EXPECT_EQ(GatewayOn(routes, {"usb1"}), "192.168.9.2");
    EXPECT_EQ(GatewayOn(routes, {"usb2"}), "");  // a link route has no gateway
    EXPECT_EQ(GatewayOn(routes, {}), "");
    EXPECT_EQ(GatewayOn("", {"usb0"}), "");
}

// What the probes saw becomes each port's state, matched by USB path and interface.
TEST(UsbAccount, PortsThatDidNotAnswerSayWhy) {
    const struct {
        ProbeOutcome outcome;
        const char* openError;
        UsbPortState state;
        const char* advice;
    } cases[] = {
        {ProbeOutcome::OpenFailed, "/dev/ttyUSB0 is in use by dialer (pid 42), lock file /var/lock/LCK..ttyUSB0",
         UsbPortState::Busy,
         "/dev/ttyUSB0 is in use by dialer (pid 42), lock file /var/lock/LCK..ttyUSB0; /dev/ttyUSB2 was not tried."},
        {ProbeOutcome::OpenFailed, "/dev/ttyUSB0 is locked by /var/lock/LCK..ttyUSB0 (a FIFO, not a lock file)",
         UsbPortState::Busy, "ModemManager often does"},
        {ProbeOutcome::OpenFailed, "Permission denied", UsbPortState::Denied,
         "/dev/ttyUSB0 may not be opened by this user; /dev/ttyUSB2 was not tried.\nTo be allowed to open serial "
         "ports, "
         "run this, then log in again:\n  sudo usermod -aG dialout $USER"},
        {ProbeOutcome::OpenFailed, "Input/output error", UsbPortState::Failed,
         "/dev/ttyUSB0 could not be opened: Input/output error"},
        {ProbeOutcome::Silent, "", UsbPortState::Silent, "none answered as a modem: /dev/ttyUSB0 stayed silent;"},
        {ProbeOutcome::Listed, "", UsbPortState::Answered, "a modem: /dev/ttyUSB0 answered as one."},
    };
    for (const auto& c : cases) {
        std::vector<UsbDevice> devices = {Device({Interface("00", "ff/ff/ff", 3, "option", {"/dev/ttyUSB0"}),
                                                  Interface("02", "ff/ff/ff", 3, "option", {"/dev/ttyUSB2"})})};
        PortResult probe = Result(33, c.outcome, 10, "E173");
        probe.openError = c.openError;
        probe.identified = true;
        probe.device.device = "/dev/pts/7";  // a port of $VESMARIN_PORTS: known by its USB facts
        probe.device.usb = true;
        probe.device.usbPath = "1-2";
        probe.device.interfaceNumber = "00";
        MarkUsbPorts({Result(1, ProbeOutcome::NoDevice), probe}, &devices);
        EXPECT_EQ(devices[0].interfaces[0].ports[0].state, c.state) << c.openError;
        EXPECT_EQ(devices[0].interfaces[1].ports[0].state, UsbPortState::NotTried);
        EXPECT_NE(UsbAdvice(devices[0]).find(c.advice), std::string::npos) << UsbAdvice(devices[0]);
    }
}

TEST(UsbAccount, JsonKeepsEveryKeyAndTheHintComesFromTheAccount) {
    UsbDevice stick = Device({Interface("00", "08/06/50", 2, "usb-storage", {"sr0"})});
    stick.usbPath = "1-1";
    stick.manufacturer = "Zentra\x1b[2Jwave\xff";
    UsbDevice modem = Device({Interface("00", "ff/ff/ff", 3, "option", {"/dev/ttyUSB0"})});
    const std::vector<UsbDevice> both = {stick, modem};

    // With a USB account its blocks say why, in place of the storage-mode sentence.
    EXPECT_EQ(NothingFoundAdvice({}, both).find("needs mode switching"), std::string::npos);
    EXPECT_EQ(UsbDeviceNotice(stick), "USB 1-1 f1e5:9001 Zentra\\x1b[2Jwave\\xff: storage, no AT port "
                                      "('vesmarin-cli scan --verbose' says why and what to do)");

    const auto nothing = nlohmann::json::parse(ReportJson(Scan({}), {}, true, both));
    ASSERT_EQ(nothing["usb_devices"].size(), 2u);
    const auto& first = nothing["usb_devices"][0];
    std::vector<std::string> keys = {"usb_path", "vendor_id", "product_id",     "manufacturer",    "product",
                                     "mode",     "ports",     "net_interfaces", "control_devices", "known_storage_id",
                                     "gateway",  "advice",    "interfaces"};
    std::sort(keys.begin(), keys.end());  // parsed into a sorted object
    EXPECT_EQ(Keys(first), keys);
    EXPECT_EQ(Keys(nothing["usb_devices"][1]), Keys(first));
    EXPECT_EQ(first["mode"], "storage");
    EXPECT_TRUE(first["product"].is_null());
    EXPECT_TRUE(first["known_storage_id"].is_null());
    EXPECT_TRUE(first["gateway"].is_null());
    EXPECT_EQ(first["ports"], nlohmann::json::array());
    EXPECT_EQ(first["advice"], UsbAdvice(stick));
    EXPECT_EQ(
        nothing["usb_devices"][1]["ports"][0],
        nlohmann::json({{"device", "/dev/ttyUSB0"}, {"interface", "00"}, {"state", "not_tried"}, {"reason", nullptr}}));
    // The old hint, from the account: the storage stick's advice, not the serial one's.
    EXPECT_EQ(nothing["hint"], "USB 1-1 f1e5:9001: " + UsbAdvice(stick));
    EXPECT_TRUE(nlohmann::json::parse(ReportJson(Scan({}), {}, true, {modem}))["hint"].is_null());
    ExpectSnakeCase(nothing);
    // A modem answered: the devices are still there, the survey of serial devices is not.
    const auto found =
        nlohmann::json::parse(ReportJson(Scan({Result(5, ProbeOutcome::Listed, 100, "E173")}), {}, true, both));
    EXPECT_EQ(found["usb_devices"].size(), 2u);
    EXPECT_TRUE(found["hint"].is_null());
    EXPECT_EQ(nlohmann::json::parse(ReportJson(Scan({}), {}, false))["usb_devices"], nlohmann::json::array());

    const std::string metric = UsbDeviceInfoFamily(both);
    EXPECT_NE(metric.find("\nvesmarin_usb_device_info{usb_path=\"1-1\",vendor_id=\"f1e5\",product_id=\"9001\","
                          "mode=\"storage\"} 1\n"),
              std::string::npos)
        << metric;
    EXPECT_EQ(metric.find("usb_path=\"1-2\""), std::string::npos) << metric;  // serial: read as a modem
}

// Windows's device tree, made up: only a device with an interface of a modem's classes whose
// driver is not installed is listed, with its interfaces in order and Windows's own advice.
TEST(UsbAccount, WindowsListsInterfacesWithoutADriver) {
    const char* composite = "USB\\VID_F1E5&PID_9001\\0123456789";
    // clang-format off
    const std::vector<WindowsDeviceNode> nodes = {
        {composite, "USB\\ROOT_HUB30\\4&1", {"USB\\DevClass_00", "USB\\COMPOSITE"}, "usbccgp", 0, "USB Composite Device"},
        {"USB\\VID_F1E5&PID_9001&MI_02\\6&2&0&0002", composite, {"USB\\Class_ff&SubClass_02&Prot_12", "USB\\Class_ff"}, "", 28, "ZW PC UI Interface"},
        {"USB\\VID_F1E5&PID_9001&MI_00\\6&2&0&0000", composite, {"USB\\Class_ff"}, "", 28, "ZW Mobile Broadband"},
        {"USB\\VID_F1E5&PID_9001&MI_01\\6&2&0&0001", composite, {"USB\\Class_08&SubClass_06&Prot_50"}, "USBSTOR", 0, ""},
        // A stick of one function never set up; a CDC port whose driver failed to start has one.
        {"USB\\VID_F1E5&PID_1404\\7&3", "USB\\ROOT_HUB30\\4&1", {"USB\\Class_ff&SubClass_00&Prot_00"}, "", 1, "ZW Lite"},
        {"usb\\vid_f1e5&pid_1405&mi_00\\8&4&0&0000", "USB\\VID_F1E5&PID_1405\\8", {"USB\\Class_02&SubClass_02&Prot_01"}, "usbser", 10, "COM7"},
        // Not a modem's class, not USB, no ids, ids only in the instance's own part: none listed.
        {"USB\\VID_F1E9&PID_0101\\9", "", {"USB\\Class_03&SubClass_01&Prot_01"}, "", 28, "Keyboard"},
        {"HID\\VID_F1E5&PID_9001\\1", "", {"USB\\Class_ff"}, "", 28, ""},
        {"USB\\VID_F1E5\\2", "", {"USB\\Class_ff"}, "", 28, ""},
        {"USB\\ROOT_HUB30\\VID_F1E5&PID_0001", "", {"USB\\Class_ff"}, "", 28, ""},
        {"VID_F1E5&PID_0002\\x", "", {"USB\\Class_ff"}, "", 28, ""},
        // An interface whose device is not in the list is kept under its parent's id.
        {"USB\\VID_F1E5&PID_9002&MI_03\\5", "USB\\VID_F1E5&PID_9002\\AB", {"USB\\Class_E0&SubClass_01&Prot_03"}, "", 28, "ZW RNDIS"},
    };
    // clang-format on
    const std::vector<UsbDevice> devices = UsbDevicesFromWindowsNodes(nodes);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].usbPath, "USB\\VID_F1E5&PID_1404\\7&3");
    EXPECT_NE(UsbAdvice(devices[0]).find("its interface 00 has none installed (an unknown device"), std::string::npos);

    const UsbDevice& stick = devices[1];
    EXPECT_EQ(stick.usbPath, composite);
    EXPECT_EQ(stick.product, "ZW Mobile Broadband");  // the interface's name, not the composite driver's
    ASSERT_EQ(stick.interfaces.size(), 3u);
    EXPECT_EQ(stick.interfaces[0].number + stick.interfaces[1].number + stick.interfaces[2].number, "000102");
    EXPECT_EQ(stick.interfaces[2].classCode + stick.interfaces[2].subclass + stick.interfaces[2].protocol, "ff0212");
    EXPECT_EQ(Modes(stick), "unbound");
    const std::string advice = UsbAdvice(stick);
    EXPECT_NE(advice.find("Windows has no driver for it: its interfaces 00, 02 have none installed"), std::string::npos)
        << advice;
    EXPECT_EQ(advice.find("modprobe"), std::string::npos) << advice;

    EXPECT_EQ(devices[2].usbPath, "USB\\VID_F1E5&PID_9002\\AB");
}

}  // namespace
