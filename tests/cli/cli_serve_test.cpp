// serve against simulated modems (layout CliServe): scrapes from memory, a vanished stick at
// 0 until forgotten, a hostile model text that spoils nothing, result codes that are no
// label values, busy ports counted, bad requests refused at once, every lock gone after
// SIGTERM, an LTE module's radio facts read without a setting changed or a family probed more
// than once, a stalled port that delays no other modem, sticks that share an IMEI, a stick
// whose IMEI changes, and readings that cannot start counted as the exporter's failure, not
// the modems'.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/support/http_client_posix.h"
#include "tests/support/modem_transcript.h"

namespace {

// Polls until `done` holds, at most `seconds`: waits for the event, never for a quiet machine.
bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

std::string LockDir() { return std::getenv("VESMARIN_LOCK_DIR"); }

// The value of the sample `series` ("name{labels}") in an exposition; -1 when it has none.
double Sample(const std::string& metrics, const std::string& series) {
    const size_t at = metrics.find("\n" + series + " ");
    return at == std::string::npos ? -1 : std::atof(metrics.c_str() + at + series.size() + 2);
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string Pty(int com) {
    char real[PATH_MAX];
    const std::string link = std::string(std::getenv("VESMARIN_PORTS")) + "/com" + std::to_string(com);
    return realpath(link.c_str(), real) != nullptr ? real : "";
}

class CliServe : public ::testing::Test {
protected:
    void SetUp() override {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            dup2(out[1], 1);
            const int err = open(ErrPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0) dup2(err, 2);
            // Only the standard streams go along, so the exporter's descriptors are its own.
            for (int fd = 3; fd < 1024; ++fd) close(fd);
            ExecCli(Arguments());
        }
        close(out[1]);
        FILE* stream = fdopen(out[0], "r");
        char line[256] = {};
        ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
        std::fclose(stream);
        const std::string text = line;
        ASSERT_EQ(text.rfind("vesmarin-cli serve: listening on http://127.0.0.1:", 0), 0u) << text;
        port_ = std::atoi(text.c_str() + text.rfind(':') + 1);
        ASSERT_GT(port_, 0) << text;
    }
    // SIGTERM, so the reading processes end with the exporter and leave no port held for the
    // next test; SIGKILL only when that does not end it.
    void TearDown() override {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        if (!WaitFor([this] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 30)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    static std::string ErrPath() { return LockDir() + "/../serve-stderr.txt"; }
    static std::string Stderr() {
        std::ostringstream text;
        text << std::ifstream(ErrPath()).rdbuf();
        return text.str();
    }
    virtual std::vector<std::string> Arguments() const {
        return {"serve", "--listen", "127.0.0.1:0", "--interval", "1", "--rescan", "2", "--forget-after", "5"};
    }
    std::string Metrics() {
        const HttpAnswer answer = HttpGet(port_, "/metrics");
        return answer.status == 200 ? answer.body : "";
    }
    bool Has(const std::string& line) { return Metrics().find("\n" + line + "\n") != std::string::npos; }
    // The rounds read so far, from the exporter's own counter.
    long Rounds() {
        const std::string text = Metrics();
        const size_t at = text.find("\nvesmarin_rounds_total ");
        return at == std::string::npos ? -1 : std::atol(text.c_str() + at + 23);
    }

    pid_t pid_ = -1;
    int port_ = 0;
};

TEST_F(CliServe, ServesEveryModemFromMemoryAndEndsWithItsLocksReleased) {
    const std::string plain = "identity=\"device:" + Pty(7) + "\"";
    EXPECT_TRUE(WaitFor([&] {
        return Has("vesmarin_up{identity=\"imei:351111111111111\"} 1") &&
               Has("vesmarin_up{identity=\"imei:354444444444444\"} 1") && Has("vesmarin_up{" + plain + "} 1");
    }, 150)) << Metrics();
    // The stick pulled out at its first signal reading shows 0, then its series end.
    EXPECT_TRUE(WaitFor([&] { return Has("vesmarin_up{identity=\"imei:355555555555555\"} 0"); }, 150)) << Metrics();
    EXPECT_TRUE(WaitFor([&] { return Metrics().find("355555555555555") == std::string::npos; }, 150)) << Metrics();

    const std::string metrics = Metrics();
    EXPECT_NE(metrics.find("vesmarin_signal_rssi_dbm{identity=\"imei:354444444444444\"} -63\n"), std::string::npos);
    EXPECT_NE(metrics.find("vesmarin_registration_state{identity=\"imei:354444444444444\"} 5\n"), std::string::npos);
    EXPECT_EQ(metrics.find(Pty(8)), std::string::npos) << "a silent port is no modem";
    // The plain stick answers ERROR to the firmware and SIM queries: no value, so an empty
    // label and no SIM state series.
    EXPECT_NE(metrics.find(",model=\"E173\",firmware=\"\","), std::string::npos) << metrics;
    EXPECT_EQ(metrics.find("vesmarin_sim_state{" + plain), std::string::npos) << metrics;
    EXPECT_EQ(metrics.find("=\"ERROR\""), std::string::npos) << metrics;
    // The hostile model: visible, escaped, cut at 128 bytes, on one line of its own.
    const size_t model = metrics.find("model=\"ZW \\\"9000\\\" \\\\ {x} \\\\x1b[2J\\\\x07\\\\x7f end");
    ASSERT_NE(model, std::string::npos) << metrics;
    const size_t end = metrics.find("\",firmware=", model);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - model - 7, 128u + 12u);   // 128 bytes before escaping, plus the escapes
    if (std::system("command -v promtool >/dev/null") == 0) {
        const std::string file = std::string(std::getenv("VESMARIN_LOCK_DIR")) + "/../exposition.txt";
        std::ofstream(file) << metrics;
        EXPECT_EQ(std::system(("promtool check metrics < '" + file + "'").c_str()), 0) << metrics;
    }

    // A port another program holds is skipped and counted, never taken over.
    const std::string lock = std::string(std::getenv("VESMARIN_LOCK_DIR")) + "/LCK..pts_" +
                             Pty(7).substr(Pty(7).rfind('/') + 1);
    std::ofstream(lock) << getpid() << "\n";
    EXPECT_TRUE(WaitFor([&] {
        const std::string text = Metrics();
        const size_t at = text.find("vesmarin_ports_busy_total{" + plain + "} ");
        return at != std::string::npos && text.compare(at + 28 + plain.size(), 2, "0\n") != 0;
    }, 150)) << Metrics();
    unlink(lock.c_str());

    const HttpAnswer page = HttpGet(port_, "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find("\x1b"), std::string::npos);
    EXPECT_NE(page.body.find("ZW &quot;9000&quot;"), std::string::npos);

    ASSERT_EQ(kill(pid_, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid_, &status, 0), pid_);
    pid_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(std::system(("! ls '" + std::string(std::getenv("VESMARIN_LOCK_DIR")) + "' | grep -q LCK").c_str()), 0)
        << "a lock file outlived the exporter";
}

// The +QENG module: its radio family found by one probe of the family tried before it, then
// remembered from reading to reading (each a process of its own); its facts in the
// exposition; nothing set on it.
TEST_F(CliServe, ReadsAnLteModulesRadioWithoutSettingAnythingOrProbingAgain) {
    std::vector<std::string> before;
    ASSERT_TRUE(ReceivedByModem(10, &before));
    const auto probes = [](const std::vector<std::string>& lines) {
        long count = 0;
        for (const auto& line : lines) count += line.rfind("AT^HCSQ?", 0) == 0 ? 1 : 0;
        return count;
    };
    const std::string identity = "identity=\"device:" + Pty(10) + "\"";
    EXPECT_TRUE(WaitFor([&] { return Has("vesmarin_rsrp_dbm{" + identity + ",rat=\"LTE\"} -85"); }, 150)) << Metrics();
    const long first = Rounds();
    EXPECT_TRUE(WaitFor([&] { return Rounds() >= first + 3; }, 150)) << Metrics();

    const std::string metrics = Metrics();
    EXPECT_NE(metrics.find("vesmarin_rsrq_db{" + identity + ",rat=\"LTE\"} -11\n"), std::string::npos) << metrics;
    EXPECT_NE(metrics.find("vesmarin_sinr_db{" + identity + ",rat=\"LTE\"} 12\n"), std::string::npos) << metrics;
    EXPECT_NE(metrics.find("vesmarin_serving_cell_info{" + identity + ",rat=\"LTE\",band=\"3\",pci=\"301\"} 1\n"),
              std::string::npos) << metrics;
    const size_t info = metrics.find("vesmarin_modem_info{" + identity);
    ASSERT_NE(info, std::string::npos) << metrics;
    EXPECT_NE(metrics.substr(info, metrics.find('\n', info) - info).find(",technology=\"LTE\""), std::string::npos);
    // A 3G stick has no RSRP series.
    EXPECT_EQ(metrics.find("vesmarin_rsrp_dbm{identity=\"imei:354444444444444\""), std::string::npos);

    std::vector<std::string> after;
    ASSERT_TRUE(ReceivedByModem(10, &after));
    EXPECT_EQ(probes(after) - probes(before), 1) << "a family the module lacks is probed once per exporter";
    for (size_t i = before.size(); i < after.size(); ++i) {
        if (after[i].find('=') == std::string::npos) continue;
        EXPECT_EQ(after[i].rfind("AT+QENG=\"servingcell\"", 0), 0u) << after[i];
    }
    if (std::system("command -v promtool >/dev/null") == 0) {
        const std::string file = std::string(std::getenv("VESMARIN_LOCK_DIR")) + "/../exposition-lte.txt";
        std::ofstream(file) << metrics;
        EXPECT_EQ(std::system(("promtool check metrics < '" + file + "'").c_str()), 0) << metrics;
    }
}

// A port that answers the probe and then nothing holds its information run for the whole
// --timeout (60 s here); the other modems are read each interval meanwhile.
TEST_F(CliServe, AStalledPortDelaysOnlyItself) {
    const std::string age = "vesmarin_last_good_reading_age_seconds{identity=\"imei:354444444444444\"}";
    EXPECT_TRUE(WaitFor([&] { return Sample(Metrics(), age) >= 0; }, 120)) << Metrics();
    const std::string stalled = LockDir() + "/LCK..pts_" + Pty(11).substr(Pty(11).rfind('/') + 1);
    EXPECT_EQ(access(stalled.c_str(), F_OK), 0) << "the stalled port's information run is not under way";
    const long first = Rounds();
    double oldest = 0;
    EXPECT_TRUE(WaitFor([&] {
        const std::string metrics = Metrics();
        oldest = std::max(oldest, Sample(metrics, age));
        return Sample(metrics, "vesmarin_rounds_total") >= first + 5;
    }, 150)) << Metrics();
    // Held up by the stalled port it would reach the port's 60 s deadline; a loaded machine
    // with the sanitizers may stretch a healthy modem's own readings, never that far.
    EXPECT_LT(oldest, 30.0) << Metrics();
    EXPECT_EQ(Metrics().find("\"device:" + Pty(11) + "\""), std::string::npos) << "it answered only the probe";
}

// Two sticks that give one IMEI: both read and shown, each named by where it sits, said once.
TEST_F(CliServe, SticksThatShareAnImeiAreEachReadAndToldApart) {
    const std::string first = "identity=\"imei:356666666666666@" + Pty(12) + "\"";
    const std::string second = "identity=\"imei:356666666666666@" + Pty(13) + "\"";
    EXPECT_TRUE(WaitFor([&] { return Has("vesmarin_up{" + first + "} 1") && Has("vesmarin_up{" + second + "} 1"); },
                        150)) << Metrics();
    const long rounds = Rounds();
    EXPECT_TRUE(WaitFor([&] { return Rounds() >= rounds + 5; }, 150));   // rescans find them again
    const std::string metrics = Metrics();
    EXPECT_EQ(Sample(metrics, "vesmarin_identity_collisions"), 2) << metrics;
    EXPECT_EQ(Sample(metrics, "vesmarin_signal_csq{" + second + "}"), 15) << metrics;
    EXPECT_NE(metrics.find("vesmarin_modem_info{" + first + ",imei=\"356666666666666\","), std::string::npos);
    EXPECT_EQ(metrics.find("{identity=\"imei:356666666666666\"}"), std::string::npos) << metrics;
    EXPECT_EQ(Sample(metrics, "vesmarin_modems_found"), 7) << "one per device: 5, 6, 7, 10, 12, 13 and 14";
    const std::string err = Stderr();
    EXPECT_EQ(Occurrences(err, "vesmarin-cli serve: IMEI 356666666666666 is given by more than one modem ("), 1u)
        << err;
}

// A stick named 3577… at one information run in ten and 3588… at the others: one reading per
// round under its current name, the old name down and then forgotten.
TEST_F(CliServe, AnIdentityThatChangesLeavesItsOldSeriesDownUntilForgotten) {
    const std::string before = "identity=\"imei:357777777777777\"", after = "identity=\"imei:358888888888888\"";
    EXPECT_TRUE(WaitFor([&] { return Has("vesmarin_up{" + before + "} 0") && Has("vesmarin_up{" + after + "} 1"); },
                        180)) << Metrics();
    EXPECT_TRUE(WaitFor([&] {
        const std::string metrics = Metrics();
        return metrics.find(before) == std::string::npos && Sample(metrics, "vesmarin_up{" + after + "}") == 1;
    }, 120)) << Metrics();
    const std::string metrics = Metrics();
    EXPECT_EQ(Sample(metrics, "vesmarin_ports_busy_total{" + after + "}"), 0) << "read twice in a round";
    EXPECT_EQ(Sample(metrics, "vesmarin_modems_found"), 7) << metrics;
}

// Each answered at once: well before the 5 s in which a request's headers must arrive, and
// with the connection closed where the server refuses the request.
TEST_F(CliServe, AnswersBadRequestsAtOnce) {
    const std::string host = " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const struct {
        std::string request;
        int status;
    } rows[] = {
        {"GET /nothing-here" + host + "\r\n", 404},
        {"DELETE /metrics" + host + "\r\n", 405},
        {"OPTIONS /" + host + "\r\n", 405},
        {"POST /metrics" + host + "Content-Length: 100\r\n\r\n", 405},   // the body never comes
        {"POST /metrics" + host + "\r\n", 405},
        {"POST /metrics" + host + "Content-Length: 1\r\n\r\nx", 405},
        {"HEAD /metrics" + host + "\r\n", 200},
        {"GET /metrics?name[]=up" + host + "Connection: close\r\n\r\n", 200},
        {"GARBAGE\r\n\r\n", 400},
        {"GET /metrics HTTP/1.1\r\n\r\n", 400},                              // no Host
        {"GET metrics" + host + "\r\n", 400},
        {"GET /metrics HTTP/1.1\r\nHost : 127.0.0.1\r\n\r\n", 400},
        {"GET /metrics" + host + " folded\r\n\r\n", 400},
        {"GET /metrics" + host + "Content-Length: 1\r\nContent-Length: 2\r\n\r\n", 400},
        {"GET /metrics HTTP/2.0\r\nHost: 127.0.0.1\r\n\r\n", 505},
        {"GET /metrics" + host + "X-Long: " + std::string(9000, 'a') + "\r\n\r\n", 431},
        {"GET /" + std::string(9000, 'a') + host + "\r\n", 431},
    };
    for (const auto& row : rows) {
        const auto start = std::chrono::steady_clock::now();
        const HttpAnswer answer = Exchange(port_, row.request, 4000);
        const auto took = std::chrono::steady_clock::now() - start;
        const std::string line = row.request.substr(0, 40);
        EXPECT_EQ(answer.status, row.status) << line;
        EXPECT_LT(took, std::chrono::seconds(4)) << line;
        if (row.status == 405) {
            EXPECT_NE(answer.head.find("\r\nAllow: GET, HEAD\r\n"), std::string::npos) << line;
        }
        if (row.status >= 400 && row.status != 404 && row.status != 405) {
            EXPECT_TRUE(answer.closed) << line;
        }
        if (row.request.rfind("HEAD", 0) == 0) {
            EXPECT_EQ(answer.body, "") << line;
        }
    }
}

// Readings that cannot start (here: no descriptor left for their pipes) are the exporter's
// failure: counted in vesmarin_reading_start_failures_total, while every modem keeps the state
// and the failure count it had. Without rescans, so that only readings need descriptors.
class CliServeWithoutRescans : public CliServe {
protected:
    std::vector<std::string> Arguments() const override {
        return {"serve", "--listen", "127.0.0.1:0", "--interval", "1", "--rescan", "86400"};
    }
};

TEST_F(CliServeWithoutRescans, CountsReadingsThatCannotStartAsItsOwnFailure) {
    const std::vector<std::string> answering = {"imei:351111111111111", "imei:354444444444444",
                                                "device:" + Pty(7), "device:" + Pty(10)};
    const auto up = [&](const std::string& text, const std::string& id) {
        return Sample(text, "vesmarin_up{identity=\"" + id + "\"}");
    };
    EXPECT_TRUE(WaitFor([&] {
        const std::string text = Metrics();
        for (const auto& id : answering) {
            if (up(text, id) != 1) return false;
        }
        return true;
    }, 150)) << Metrics();
    EXPECT_EQ(Sample(Metrics(), "vesmarin_reading_start_failures_total"), 0);

    // The exporter's own descriptors are the lowest (nothing else was inherited); pipes of
    // readings under way come above them. One number is left free below the limit: enough
    // for a scrape, one short of a reading's pipe.
    int highest = 2;
    const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
    DIR* dir = opendir(fds.c_str());
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir)) {
        char target[256] = {};
        const int fd = std::atoi(entry->d_name);
        if (fd < 3 || readlink((fds + "/" + entry->d_name).c_str(), target, sizeof target - 1) <= 0) continue;
        if (std::string(target).rfind("pipe:", 0) != 0 && fd > highest) highest = fd;
    }
    closedir(dir);
    const std::string before = Metrics();
    const rlimit scarce{static_cast<rlim_t>(highest + 2), static_cast<rlim_t>(highest + 2)};
    ASSERT_EQ(prlimit(pid_, RLIMIT_NOFILE, &scarce, nullptr), 0);

    EXPECT_TRUE(WaitFor([&] { return Sample(Metrics(), "vesmarin_reading_start_failures_total") >= 10; }, 150))
        << Metrics();
    const std::string after = Metrics();
    ASSERT_NE(after.find("# TYPE vesmarin_reading_start_failures_total counter\n"), std::string::npos) << after;
    // The USB account's family is there, empty on the tests' empty sysfs tree.
    EXPECT_NE(after.find("# TYPE vesmarin_usb_device_info gauge\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("\nvesmarin_usb_device_info{"), std::string::npos) << after;
    for (const auto& id : answering) {
        const std::string failed = "vesmarin_readings_failed_total{identity=\"" + id + "\"}";
        EXPECT_EQ(up(after, id), 1) << id;
        EXPECT_EQ(Sample(after, failed), Sample(before, failed)) << id;
    }
}

}  // namespace
