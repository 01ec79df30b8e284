// Label values from modem texts, the exporter's listen address, its text exposition, and its
// JSON API and status page of one snapshot: hostile texts, a modem that stopped answering,
// the bounded history.
#include <gtest/gtest.h>

#include "cli/grammar/command_line.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <unistd.h>

#include "exporter/label_value.h"
#include "cli/commands/serve_options.h"
#include "exporter/metrics_text.h"
#include "exporter/modems_json.h"
#include "exporter/status_page.h"

namespace {

TEST(LabelValue, VisibleEscapedAndCutOnACharacterBoundary) {
    struct Case {
        std::string text;
        std::string label;
    } const cases[] = {
        {"E173", "E173"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"a\\b", "a\\\\b"},
        {"line\nbreak\r\ttab", "line\\\\x0abreak\\\\x0d\\\\x09tab"},   // no raw line end ever
        {"\x1b[2J\x07", "\\\\x1b[2J\\\\x07"},
        {"bad \xff byte", "bad \\\\xff byte"},                          // not UTF-8: shown
        {"\xc2\x9b" "C1", "\\\\u009bC1"},
        {u8"Зентра", u8"Зентра"},   // u8: the tests are compiled for 1251
        {std::string(200, 'x'), std::string(128, 'x')},
        {std::string(127, 'x') + u8"ж", std::string(127, 'x')},        // 'ж' would straddle 128
        {std::string(126, 'x') + u8"ж", std::string(126, 'x') + u8"ж"},
        {std::string(125, 'x') + "\x1b", std::string(125, 'x')},      // never half a notation
        {std::string(127, 'x') + "\"", std::string(127, 'x') + "\\\""},   // cut before escaping
    };
    for (const auto& c : cases) EXPECT_EQ(LabelValue(c.text), c.label) << c.text;
}

TEST(ServeOptions, ListenAddresses) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } const cases[] = {
        {"127.0.0.1:9733", true, "127.0.0.1", 9733}, {"127.0.0.1:0", true, "127.0.0.1", 0},
        {":8080", true, "127.0.0.1", 8080},          {"[::1]:9733", true, "::1", 9733},
        {"0.0.0.0:65535", true, "0.0.0.0", 65535},   {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1", false, "", 0},                 {"::1:9733", false, "", 0},
        {"127.0.0.1:", false, "", 0},                {"127.0.0.1:-1", false, "", 0},
        {"127.0.0.1:80x", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string host, error;
        int port = -1;
        EXPECT_EQ(ParseListenAddress(c.text, &host, &port, &error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(host, c.host) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
    // serve's options as the grammar reads them.
    const auto parses = [](std::vector<std::string> args, ServeOptions* options) {
        CommandLine line;
        CommandOptions serve = line.AddCommand("serve", CommandHelp{"", "", ""}, [] { return 0; });
        DeclareServeOptions(serve, options);
        args.insert(args.begin(), "serve");
        return line.Parse(args).kind == ParsedCommandLine::Kind::RunCommand;
    };
    ServeOptions options;
    EXPECT_FALSE(parses({"--interval", "0"}, &options));
    EXPECT_FALSE(parses({"--bogus"}, &options));
    EXPECT_FALSE(parses({"--interval", "010"}, &options));
    EXPECT_FALSE(parses({"--forget-after", "00001"}, &options));
    EXPECT_FALSE(parses({"--listen", "127.0.0.1:00080"}, &options));
    options = ServeOptions{};
    EXPECT_TRUE(parses({"--interval", "5", "--forget-after", "30", "--exclude", "/dev/ttyUSB0,/dev/ttyUSB1"}, &options));
    EXPECT_EQ(options.settings.intervalSeconds, 5);
    EXPECT_EQ(options.settings.choice.exclude.size(), 2u);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, kDefaultExporterPort);
}

const char kExposition[] = u8R"(# HELP vesmarin_up Whether the modem answered its last reading (1) or not (0).
# TYPE vesmarin_up gauge
vesmarin_up{identity="imei:354444444444444"} 1
vesmarin_up{identity="device:/dev/pts/7"} 0
# HELP vesmarin_modem_info The modem's facts from its last information run, as labels; always 1.
# TYPE vesmarin_modem_info gauge
vesmarin_modem_info{identity="imei:354444444444444",imei="354444444444444",model="ZW-700",firmware="11.608",usb_path="1-1.2",by_id="/dev/serial/by-id/usb-Zentrawave-if02",port="/dev/ttyUSB2",technology="LTE+NR",operator="Зентра Mobile"} 1
vesmarin_modem_info{identity="device:/dev/pts/7",imei="",model="ZW \"9000\"\\x0a",firmware="",usb_path="",by_id="",port="",technology="",operator=""} 1
# HELP vesmarin_signal_rssi_dbm Received signal strength (+CSQ), in dBm.
# TYPE vesmarin_signal_rssi_dbm gauge
vesmarin_signal_rssi_dbm{identity="imei:354444444444444"} -63
# HELP vesmarin_signal_csq The 3G signal level as +CSQ gives it (0-31, 99 unknown).
# TYPE vesmarin_signal_csq gauge
vesmarin_signal_csq{identity="imei:354444444444444"} 25
# HELP vesmarin_rssi_dbm Received signal strength of the serving cell as the radio family reports it, in dBm; rat LTE or NR.
# TYPE vesmarin_rssi_dbm gauge
vesmarin_rssi_dbm{identity="imei:354444444444444",rat="LTE"} -60
# HELP vesmarin_rsrp_dbm Reference signal received power, in dBm; rat LTE or NR (both on EN-DC).
# TYPE vesmarin_rsrp_dbm gauge
vesmarin_rsrp_dbm{identity="imei:354444444444444",rat="LTE"} -85.5
vesmarin_rsrp_dbm{identity="imei:354444444444444",rat="NR"} -84
# HELP vesmarin_rsrq_db Reference signal received quality, in dB; rat LTE or NR (both on EN-DC).
# TYPE vesmarin_rsrq_db gauge
vesmarin_rsrq_db{identity="imei:354444444444444",rat="LTE"} -11
# HELP vesmarin_sinr_db Signal to interference plus noise ratio, in dB; rat LTE or NR (both on EN-DC).
# TYPE vesmarin_sinr_db gauge
vesmarin_sinr_db{identity="imei:354444444444444",rat="LTE"} 12.4
vesmarin_sinr_db{identity="imei:354444444444444",rat="NR"} 18.5
# HELP vesmarin_serving_cell_info The serving cell's band and physical cell id (PCI), as labels, per rat (the NR leg too on EN-DC); always 1.
# TYPE vesmarin_serving_cell_info gauge
vesmarin_serving_cell_info{identity="imei:354444444444444",rat="LTE",band="3",pci=""} 1
vesmarin_serving_cell_info{identity="imei:354444444444444",rat="NR",band="78",pci="500"} 1
# HELP vesmarin_carrier_info Each component carrier the modem reports: role (pcc/scc), rat, band, channel, pci, bandwidth_mhz; always 1.
# TYPE vesmarin_carrier_info gauge
vesmarin_carrier_info{identity="imei:354444444444444",role="pcc",rat="LTE",band="3",channel="1300",pci="102",bandwidth_mhz="1.4"} 1
vesmarin_carrier_info{identity="imei:354444444444444",role="scc",rat="NR",band="78",channel="627264",pci="",bandwidth_mhz="100"} 1
# HELP vesmarin_carrier_rsrp_dbm A component carrier's reference signal received power, in dBm.
# TYPE vesmarin_carrier_rsrp_dbm gauge
vesmarin_carrier_rsrp_dbm{identity="imei:354444444444444",role="pcc",rat="LTE",band="3",channel="1300",pci="102"} -85.5
# HELP vesmarin_carrier_sinr_db A component carrier's signal to interference plus noise ratio, in dB.
# TYPE vesmarin_carrier_sinr_db gauge
vesmarin_carrier_sinr_db{identity="imei:354444444444444",role="pcc",rat="LTE",band="3",channel="1300",pci="102"} 12.4
# HELP vesmarin_registration_state Network registration, the <stat> of the first of +C5GREG, +CEREG, +CGREG, +CREG that says registered (3GPP TS 27.007: 1 home, 5 roaming, 0/2/3/4 not registered).
# TYPE vesmarin_registration_state gauge
vesmarin_registration_state{identity="imei:354444444444444"} 5
# HELP vesmarin_sim_state The SIM's state as +CPIN? gives it, as a label; always 1.
# TYPE vesmarin_sim_state gauge
vesmarin_sim_state{identity="imei:354444444444444",state="READY"} 1
# HELP vesmarin_unlock_attempts_left Attempts left to enter the unlock code.
# TYPE vesmarin_unlock_attempts_left gauge
vesmarin_unlock_attempts_left{identity="imei:354444444444444"} 3
# HELP vesmarin_last_good_reading_age_seconds Seconds since the last reading that answered.
# TYPE vesmarin_last_good_reading_age_seconds gauge
vesmarin_last_good_reading_age_seconds{identity="imei:354444444444444"} 0.250
# HELP vesmarin_info_age_seconds Seconds since the information run behind the labels.
# TYPE vesmarin_info_age_seconds gauge
vesmarin_info_age_seconds{identity="imei:354444444444444"} 61.500
vesmarin_info_age_seconds{identity="device:/dev/pts/7"} 0.000
# HELP vesmarin_readings_failed_total Readings that got no answer or lost the port.
# TYPE vesmarin_readings_failed_total counter
vesmarin_readings_failed_total{identity="imei:354444444444444"} 2
vesmarin_readings_failed_total{identity="device:/dev/pts/7"} 0
# HELP vesmarin_ports_busy_total Readings skipped because another program held the port.
# TYPE vesmarin_ports_busy_total counter
vesmarin_ports_busy_total{identity="imei:354444444444444"} 1
vesmarin_ports_busy_total{identity="device:/dev/pts/7"} 0
# HELP vesmarin_modems_found Modems found by the last rescan, one per device whatever its identity.
# TYPE vesmarin_modems_found gauge
vesmarin_modems_found 2
# HELP vesmarin_identity_collisions Modems found whose IMEI another modem found also gives; each is named imei:<IMEI>@<USB or device path>.
# TYPE vesmarin_identity_collisions gauge
vesmarin_identity_collisions 0
# HELP vesmarin_round_duration_seconds How long the last reading round of all modems took.
# TYPE vesmarin_round_duration_seconds gauge
vesmarin_round_duration_seconds 1.250
# HELP vesmarin_usb_device_info A USB device that is or may be a modem but offers no AT port (mode storage, network, qmi, mbim or unbound), as labels; always 1.
# TYPE vesmarin_usb_device_info gauge
vesmarin_usb_device_info{usb_path="1-3",vendor_id="f1e5",product_id="9001",mode="storage"} 1
# HELP vesmarin_reading_start_failures_total Reading processes the exporter could not start (out of descriptors or processes); no modem's failure.
# TYPE vesmarin_reading_start_failures_total counter
vesmarin_reading_start_failures_total 1
# HELP vesmarin_rounds_total Reading rounds since the start.
# TYPE vesmarin_rounds_total counter
vesmarin_rounds_total 42
# HELP vesmarin_build_info The exporter's version; always 1.
# TYPE vesmarin_build_info gauge
vesmarin_build_info{version="1.2.3"} 1
)";

// The whole exposition of a fleet: a modem with every fact (on EN-DC, both legs and two
// component carriers), one with a hostile model that is down, a stick in storage mode. Byte for byte, and promtool (where installed) accepts it.
TEST(MetricsText, WholeExposition) {
    ExporterSnapshot snapshot;
    snapshot.now = ExporterClock::time_point(std::chrono::seconds(1000));
    ExportedModem full;
    full.identity = {"imei:354444444444444", "354444444444444", "1-1.2", "/dev/serial/by-id/usb-Zentrawave-if02", ""};
    full.port = "/dev/ttyUSB2";
    full.model = "ZW-700";
    full.firmware = "11.608";
    full.technology = "WCDMA";
    full.operatorName = u8"Зентра Mobile";
    full.attemptsLeft = 3;
    full.up = true;
    full.csq = 25;
    full.rssiDbm = -63;
    full.registration = 5;
    full.sim = "READY";
    full.radio.tech = RadioTech::Lte;
    full.radio.Get(MetricKind::Rssi) = {true, -60, OpenEnd::None, "+QENG"};
    full.radio.Get(MetricKind::Rsrp) = {true, -85.5, OpenEnd::None, "+QENG"};
    full.radio.Get(MetricKind::Rsrq) = {true, -11, OpenEnd::None, "+QENG"};
    full.radio.Get(MetricKind::Sinr) = {true, 12.4, OpenEnd::None, "+QENG"};
    full.radio.band = {true, 3, "+QENG"};
    full.radio.tech = RadioTech::LteNr;
    full.radio.nr.band = {true, 78};
    full.radio.nr.pci = {true, 500};
    full.radio.nr.metrics.Get(MetricKind::Rsrp) = {true, -84};
    full.radio.nr.metrics.Get(MetricKind::Sinr) = {true, 18.5};
    full.radio.carriersKnown = true;
    Carrier primary;
    primary.primary = true;
    primary.tech = RadioTech::Lte;
    primary.band = {true, 3};
    primary.channel = {true, 1300};
    primary.pci = {true, 102};
    primary.bandwidthKhz = {true, 1400};
    primary.metrics.Get(MetricKind::Rsrp) = {true, -85.5};
    primary.metrics.Get(MetricKind::Sinr) = {true, 12.4};
    Carrier secondary;
    secondary.tech = RadioTech::Nr5g;
    secondary.band = {true, 78};
    secondary.channel = {true, 627264};
    secondary.bandwidthKhz = {true, 100000};
    full.radio.carriers = {primary, secondary};
    full.infoAt = snapshot.now - std::chrono::milliseconds(61500);
    full.lastGood = snapshot.now - std::chrono::milliseconds(250);
    full.readingsFailed = 2;
    full.portsBusy = 1;
    ExportedModem down;
    down.identity = {"device:/dev/pts/7", "", "", "", "/dev/pts/7"};
    down.model = "ZW \"9000\"\n";
    down.csq = 10;                 // an old reading: not shown while down
    down.radio.pci = {true, 301, "+QENG"};
    down.radio.carriersKnown = true;   // as is its list of carriers
    down.radio.carriers = {Carrier{}};
    down.infoAt = snapshot.now;
    snapshot.modems = {full, down};
    UsbDevice storage;
    storage.usbPath = "1-3";
    storage.vendorId = "f1e5";
    storage.productId = "9001";
    UsbInterface cd;
    cd.number = "00";
    cd.classCode = "08";
    cd.cdRom = true;
    storage.interfaces = {cd};
    snapshot.usbDevices = {storage};
    snapshot.modemsFound = 2;
    snapshot.sharedImeis = 0;
    snapshot.roundSeconds = 1.25;
    snapshot.rounds = 42;
    snapshot.readingStartFailures = 1;
    snapshot.version = "1.2.3";
    const std::string text = MetricsText(snapshot);
    EXPECT_EQ(text, kExposition);
    if (std::system("command -v promtool >/dev/null 2>&1") != 0) return;
    const std::string file = "/tmp/vesmarin-exposition-" + std::to_string(getpid()) + ".txt";
    std::ofstream(file) << text;
    EXPECT_EQ(std::system(("promtool check metrics < '" + file + "'").c_str()), 0) << text;
    std::remove(file.c_str());
}

}  // namespace

namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// An LTE stick read twice, a 3G stick with +CSQ alone whose model is markup and no UTF-8, and
// an LTE stick that answered once and then stopped.
ExporterSnapshot ThreeModems() {
    ExporterSnapshot snapshot;
    snapshot.now = ExporterClock::now();
    ExportedModem lte;
    lte.identity = IdentifyModem("861976000000001", "1-1.2", "", 0, "/dev/ttyUSB2");
    lte.model = "ZW-L40";
    lte.port = "/dev/ttyUSB2";
    lte.up = true;
    lte.radio.tech = RadioTech::Lte;
    lte.radio.band = {true, 3, nullptr};
    lte.radio.pci = {true, 301, nullptr};
    lte.radio.Get(MetricKind::Rsrp) = {true, -95.5, OpenEnd::None, nullptr};
    lte.radio.Get(MetricKind::Rsrq) = {true, -11, OpenEnd::None, nullptr};
    lte.lastGood = snapshot.now - std::chrono::seconds(3);
    SignalPoint point;
    point.unixMs = 1765223648123;
    point.rsrp = -95.5f;
    point.sinr = 12.2f;   // no float's digits beyond tenths in the JSON
    SignalPoint edges;   // written by hand, so its numbers are checked here
    edges.unixMs = 1765223649005;
    edges.rsrp = -0.5f;
    edges.rsrq = -0.04f;
    edges.sinr = 40;
    lte.history = WithPoint(WithPoint(nullptr, point), edges);
    lte.radio.carriersKnown = true;
    lte.radio.carriers.resize(2);
    lte.radio.carriers[0].band = {true, 3, nullptr};
    lte.radio.carriers[1].tech = RadioTech::Nr5g;   // its band unknown
    ExportedModem csq = lte;
    csq.identity = IdentifyModem("861976000000002", "1-1.3", "", 0, "/dev/ttyUSB5");
    csq.model = "<script>alert(1)</script>\xff\x1b";
    csq.radio = RadioFacts{};
    csq.rssiDbm = -77;
    csq.csq = 18;
    SignalPoint level;
    level.csqRssiDbm = -77;
    csq.history = WithPoint(nullptr, level);
    ExportedModem down = lte;
    down.identity = IdentifyModem("861976000000003", "1-1.4", "", 0, "/dev/ttyUSB8");
    down.up = false;
    down.failure = "/dev/ttyUSB8: Input/output error\x1b[2J\n";
    down.lastGood = snapshot.now - std::chrono::seconds(125);
    snapshot.modems = {lte, csq, down};
    return snapshot;
}

}  // namespace

TEST(ModemsJson, TheSameFactsAsTheMetricsWithNullForUnknown) {
    const auto modems = nlohmann::json::parse(ModemsJson(ThreeModems()));   // throws on bad UTF-8
    ASSERT_EQ(modems.size(), 3u);
    const auto& lte = modems[0];
    EXPECT_EQ(lte["radio"]["rsrp"], -95.5);
    EXPECT_TRUE(lte["radio"].contains("rsrp_open_end"));
    EXPECT_TRUE(lte["radio"].contains("nr") && lte["radio"].contains("carriers")) << lte["radio"];   // `cell`'s layout
    EXPECT_EQ(lte["signal"]["figure"], "rsrp");
    EXPECT_EQ(lte["signal"]["grade_word"], u8"Удовлетворительно");
    EXPECT_EQ(lte["last_good_reading_age_seconds"], 3);
    ASSERT_EQ(lte["history"].size(), 2u);
    EXPECT_EQ(lte["history"][0]["time"], 1765223648.123);
    EXPECT_EQ(lte["history"][0]["sinr"], 12.2);
    EXPECT_EQ(lte["history"][1]["time"], 1765223649.005);
    EXPECT_EQ(lte["history"][1]["rsrp"], -0.5);
    EXPECT_EQ(lte["history"][1]["rsrq"], 0);
    EXPECT_EQ(lte["history"][1]["sinr"], 40);
    EXPECT_EQ(ModemsJson(ExporterSnapshot{}), "[]\n");

    const auto& csq = modems[1];
    EXPECT_EQ(csq["model"], "<script>alert(1)</script>\\xff\\x1b");   // as the labels show it
    EXPECT_EQ(csq["signal"]["figure"], "csq_rssi_dbm");
    EXPECT_EQ(csq["signal"]["value"], -77);
    EXPECT_TRUE(csq["radio"]["rsrp"].is_null());

    // What a reading said goes with the answer, as in /metrics; the history stays, and so
    // does the figure it shows.
    const auto& down = modems[2];
    EXPECT_EQ(down["up"], false);
    EXPECT_TRUE(down["radio"].is_null());
    EXPECT_EQ(down["signal"]["figure"], "rsrp");
    EXPECT_TRUE(down["signal"]["value"].is_null());
    EXPECT_TRUE(down["signal"]["grade"].is_null());
    EXPECT_EQ(down["last_good_reading_age_seconds"], 125);
    EXPECT_EQ(down["history"].size(), 2u);
    EXPECT_EQ(down["failure"], "/dev/ttyUSB8: Input/output error\\x1b[2J\n");   // lines stay lines
    EXPECT_TRUE(lte["failure"].is_null());
}

TEST(SignalHistory, KeepsTheLastReadingsAndLeavesSnapshotsAlone) {
    std::shared_ptr<const SignalHistory> history;
    SignalPoint point;
    for (int i = 1; i <= static_cast<int>(kSignalHistoryReadings) + 60; ++i) {
        point.unixMs = i;
        history = WithPoint(history, point);
        if (i == 100) {
            const auto held = history;   // as a snapshot holds it
            history = WithPoint(history, point);
            EXPECT_EQ(held->size(), 100u);
            history = held;
        }
    }
    ASSERT_EQ(history->size(), kSignalHistoryReadings);
    EXPECT_EQ(history->front().unixMs, 61);
    EXPECT_EQ(history->back().unixMs, 300);
    EXPECT_LE(sizeof(SignalPoint), 32u);   // 30 modems keep at most 225 KiB
}

TEST(StatusPage, EveryModemACardWithItsFiguresAndNothingInline) {
    const std::string page = StatusPageHtml(ThreeModems(), 15);
    const std::string cards = page.substr(0, page.find("<template"));
    EXPECT_EQ(Count(cards, "<article class=\"card"), 3u);
    EXPECT_NE(cards.find("<b data-f=\"value\">-95.5 dBm</b> <span data-f=\"grade\" class=\"grade fair\">"),
              std::string::npos) << cards;
    EXPECT_NE(cards.find("<dd data-f=\"band\">3</dd>"), std::string::npos);
    EXPECT_NE(cards.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(cards.find("<article class=\"card down\""), std::string::npos);
    EXPECT_NE(cards.find(">not answering<"), std::string::npos);
    EXPECT_NE(cards.find("no answer; last one 2 min ago"), std::string::npos);
    EXPECT_NE(cards.find("<dd data-f=\"carriers\">2: B3, n?</dd>"), std::string::npos);
    EXPECT_NE(cards.find("<dd data-f=\"nr\">\xe2\x80\x94</dd>"), std::string::npos);   // LTE alone
    EXPECT_NE(cards.find("<p class=\"why\" data-f=\"why\">/dev/ttyUSB8: Input/output error\\x1b[2J</p>"),
              std::string::npos);
    // The stopped modem keeps its history's sparkline (-95.5 dBm, then -0.5 held at the top).
    const std::string down = cards.substr(cards.find("<article class=\"card down\""));
    EXPECT_NE(down.find("<path data-f=\"spark\" d=\"M0.0,21.5h0L240.0,0.0\"/>"), std::string::npos) << down;
    // Under default-src 'self': no inline script or style, nothing from elsewhere.
    EXPECT_EQ(Count(page, "<script"), 1u);
    EXPECT_NE(page.find("<script src=\"/status.js\" defer></script>"), std::string::npos);
    EXPECT_EQ(page.find("style="), std::string::npos);
    EXPECT_EQ(page.find("<style"), std::string::npos);
    EXPECT_EQ(page.find("//"), std::string::npos);
    EXPECT_FALSE(std::regex_search(page, std::regex(" on[a-z]+=")));   // no event handler attribute
    EXPECT_NE(page.find("data-interval=\"15\""), std::string::npos);
    // Small: the page's own files stay a few kilobytes.
    EXPECT_LT(std::strlen(kStatusPageCss) + std::strlen(kStatusPageScript), 8192u);
}
