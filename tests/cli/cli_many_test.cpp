// info --all over several simulated modems on a made-up sysfs tree (layout CliMany): one
// stick of two ports, one stick on a ttyACM, a pty with an IMEI, one that stalls past the
// deadline and a silent port that is no modem; the reading processes and their locks gone
// however the parent ends. watch --all (layout CliWatchAll): its lines, result codes that are
// no values, and its end when its output fails.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/run_cli.h"

namespace {

std::string RealPath(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr ? real : "";
}

std::string PortsDir() { return std::getenv("VESMARIN_PORTS"); }

class CliMany : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vesmarin-many-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        Run("mkdir -p '" + root_ + "/sys/class/tty' '" + root_ + "/dev/serial/by-id'");
        setenv("VESMARIN_SYSFS_ROOT", root_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("VESMARIN_SYSFS_ROOT");
        Run("rm -rf '" + root_ + "'");
    }
    // A USB device at `usbPath` ("1-2") whose interface `number` has the tty node `node`
    // ("ttyUSB2"), played by the pty behind $VESMARIN_PORTS/comN.
    void Port(const std::string& usbPath, const std::string& number, const std::string& node, int com) {
        const std::string usb = "sys/devices/pci0000:00/0000:00:14.0/usb1/" + usbPath;
        const std::string interface = usb + "/" + usbPath + ":1." + std::to_string(std::stoi(number));
        Run("mkdir -p '" + root_ + "/" + interface + "/" + node + "'");
        Write(root_ + "/" + usb + "/idVendor", "f1e5");
        Write(root_ + "/" + usb + "/idProduct", "0a17");
        Write(root_ + "/" + interface + "/bInterfaceNumber", number);
        const std::string pty = RealPath(PortsDir() + "/com" + std::to_string(com));
        ASSERT_EQ(pty.rfind("/dev/pts/", 0), 0u) << pty;
        const std::string dir = root_ + "/sys/class/tty/" + pty.substr(pty.rfind('/') + 1);
        Run("rm -rf '" + dir + "' && mkdir -p '" + dir + "'");
        ASSERT_EQ(symlink(("../../../../" + interface + "/" + node).c_str(), (dir + "/device").c_str()), 0);
        const std::string link = root_ + "/dev/serial/by-id/usb-Zentrawave_" + usbPath + "-if" + number;
        unlink(link.c_str());
        ASSERT_EQ(symlink(pty.c_str(), link.c_str()), 0);
    }
    static void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text << "\n"; }
    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

    std::string root_;
};

// Polls until `done` holds, at most `seconds`: waits for the event, never for a quiet machine.
bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// The reading processes (read-modem) whose arguments name a port under `portsDir`, found by
// their command lines: a reader whose parent is gone is no child of anyone we know.
std::vector<pid_t> ReadersUnder(const std::string& portsDir) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return found;
    while (const dirent* entry = readdir(proc)) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0) continue;
        std::ifstream file("/proc/" + std::string(entry->d_name) + "/cmdline", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        bool reader = false, ours = false;
        std::string argument;
        while (std::getline(text, argument, '\0')) {
            reader = reader || argument == "read-modem";
            ours = ours || argument.rfind(portsDir + "/", 0) == 0;
        }
        if (reader && ours) found.push_back(pid);
    }
    closedir(proc);
    return found;
}

std::vector<std::string> LockFiles() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(std::getenv("VESMARIN_LOCK_DIR"))) {
        while (const dirent* entry = readdir(dir)) {
            if (std::string(entry->d_name).rfind("LCK..", 0) == 0) names.push_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

nlohmann::json Parse(const CliOutcome& run) {
    auto document = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_TRUE(document.is_array()) << run.out << run.err;
    return document;
}

TEST_F(CliMany, ReadsEveryModemAtOnceEachFailureInItsOwnEntry) {
    Port("1-2", "00", "ttyUSB0", 6);
    Port("1-2", "02", "ttyUSB2", 5);
    Port("1-3", "00", "ttyACM0", 7);
    const CliOutcome run = RunCliCommand("info --all --json --timeout 6", CliStderr::Separate);
    EXPECT_EQ(run.status, 1) << run.err;
    const auto modems = Parse(run);
    ASSERT_EQ(modems.size(), 4u) << run.out;
    // USB devices first, by USB path; the first stick is read through its interface 02, the
    // first that answered in interface order, and lists both ports.
    EXPECT_EQ(modems[0]["model"], "E173");
    EXPECT_EQ(modems[0]["port"], PortsDir() + "/com5");
    EXPECT_EQ(modems[0]["ports"], nlohmann::json({PortsDir() + "/com6", PortsDir() + "/com5"}));
    EXPECT_EQ(modems[0]["identity"]["id"], "usb:1-2");
    EXPECT_EQ(modems[0]["identity"]["by_id"], root_ + "/dev/serial/by-id/usb-Zentrawave_1-2-if02");
    EXPECT_TRUE(modems[0]["error"].is_null());
    EXPECT_EQ(modems[0]["rows"].size(), 29u);
    EXPECT_EQ(modems[1]["model"], "E1550");
    EXPECT_EQ(modems[1]["identity"]["id"], "usb:1-3");
    // Outside USB: the IMEI names the modem; the stalled one is past its deadline; the
    // silent port is no modem at all.
    EXPECT_EQ(modems[2]["identity"]["id"], "imei:351111111111111");
    EXPECT_EQ(modems[2]["identity"]["imei"], "351111111111111");
    EXPECT_TRUE(modems[2]["error"].is_null());
    EXPECT_EQ(modems[3]["ports"], nlohmann::json({PortsDir() + "/com9"}));
    EXPECT_NE(modems[3]["error"].get<std::string>().find("deadline"), std::string::npos) << modems[3];
    const std::string lastLine = run.err.substr(run.err.rfind('\n', run.err.size() - 2) + 1);
    EXPECT_EQ(lastLine, "vesmarin-cli info --all: 1 of 4 modems failed: (COM9)\n");

    // The text form: a header per modem in the same order, rows under it.
    const CliOutcome text = RunCliCommand("info --all --timeout 6 --exclude '" + PortsDir() + "/com9'",
                                          CliStderr::Separate);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.find("== E173 (COM5): device " + RealPath(PortsDir() + "/com5") + ", USB 1-2, IMEI -\n"), 0u)
        << text.out;
    EXPECT_NE(text.out.find("\n\n== E1550 (COM7): "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("IMEI 351111111111111\n"), std::string::npos) << text.out;
}

TEST_F(CliMany, ChoosesAndExcludesPortsByPathAndByIdGlob) {
    Port("1-2", "00", "ttyUSB0", 6);
    Port("1-2", "02", "ttyUSB2", 5);
    Port("1-3", "00", "ttyACM0", 7);
    // One excluded port leaves out its whole stick.
    const auto rest = Parse(RunCliCommand("info --all --json --exclude '/dev/serial/by-id/*1-2-if00,*com9'",
                                          CliStderr::Dropped));
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0]["identity"]["id"], "usb:1-3");
    const auto chosen = Parse(RunCliCommand("info --all --json --ports '/dev/serial/by-id/usb-Zentrawave_1-3*'",
                                            CliStderr::Dropped));
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0]["model"], "E1550");
    // Misuse names the command and points at its help.
    const CliOutcome bad = RunCliCommand("info --all --timeout 0", CliStderr::Separate);
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.substr(bad.err.find('\n') + 1), "See 'vesmarin-cli info --help'.\n") << bad.err;
    EXPECT_EQ(RunCliCommand("info --all COM5", CliStderr::Dropped).status, 2);
}

TEST_F(CliMany, AReplugToAnotherTtyKeepsTheIdentity) {
    Port("1-4", "02", "ttyUSB2", 5);
    const auto before = Parse(RunCliCommand("info --all --json --ports '/dev/serial/by-id/*'", CliStderr::Dropped));
    // Unplugged and plugged into the same socket: the kernel numbers it anew.
    Run("rm -rf '" + root_ + "/sys' '" + root_ + "/dev/serial/by-id' && mkdir -p '" + root_ + "/sys/class/tty' '" +
        root_ + "/dev/serial/by-id'");
    Port("1-4", "02", "ttyUSB5", 7);
    const auto after = Parse(RunCliCommand("info --all --json --ports '/dev/serial/by-id/*'", CliStderr::Dropped));
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_NE(before[0]["device"]["path"], after[0]["device"]["path"]);
    EXPECT_EQ(before[0]["identity"], after[0]["identity"]);
    EXPECT_EQ(after[0]["identity"]["id"], "usb:1-4");
}

// However the tool that started them ends, the reading processes end too and take their
// locks with them: an ending signal to the parent has them ended first, and when the parent
// is killed outright each notices its parent gone. The stalled port keeps its reader busy
// for 17 x 65 s, far past any wait here.
TEST_F(CliMany, NoReadingProcessNorLockOutlivesItsParent) {
    const std::string stalled = PortsDir() + "/com9";
    const std::vector<std::string> serve = {"serve", "--listen", "127.0.0.1:0", "--ports", stalled, "--timeout", "600"};
    const struct {
        std::vector<std::string> args;
        int signalNumber;
    } cases[] = {
        {{"info", "--all", "--ports", stalled, "--timeout", "600"}, SIGTERM},
        {{"info", "--all", "--ports", stalled, "--timeout", "600"}, SIGHUP},
        {{"watch", "--all", "--json", "--ports", stalled, "--timeout", "600"}, SIGUSR1},
        {serve, SIGQUIT},
        {serve, SIGKILL},
    };
    ASSERT_TRUE(ReadersUnder(PortsDir()).empty());
    for (const auto& c : cases) {
        const std::string what = c.args[0] + " " + c.args[1] + " by " + strsignal(c.signalNumber);
        const pid_t parent = fork();
        ASSERT_GE(parent, 0);
        if (parent == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const rlimit noCore{0, 0};   // SIGQUIT would dump one
            setrlimit(RLIMIT_CORE, &noCore);
            ExecCli(c.args);
        }
        // The reader has taken the port: its lock file is there.
        EXPECT_TRUE(WaitFor([] { return !LockFiles().empty(); }, 60)) << what;
        EXPECT_FALSE(ReadersUnder(PortsDir()).empty()) << what;
        kill(parent, c.signalNumber);
        int status = 0;
        waitpid(parent, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signalNumber) << what << ": " << status;
        EXPECT_TRUE(WaitFor([&] { return ReadersUnder(PortsDir()).empty() && LockFiles().empty(); }, 30))
            << what << ": " << ReadersUnder(PortsDir()).size() << " readers, " << LockFiles().size() << " locks";
        for (pid_t orphan : ReadersUnder(PortsDir())) kill(orphan, SIGKILL);
        WaitFor([&] { return ReadersUnder(PortsDir()).empty(); }, 10);
        for (const auto& name : LockFiles()) unlink((std::string(std::getenv("VESMARIN_LOCK_DIR")) + "/" + name).c_str());
    }
}

}  // namespace

namespace {

// Lines when stdout is no terminal: one per modem and reading, each with its identity; the
// stick gone at its first reading is shown not answering, the silent port not at all, and
// two sticks that give one IMEI each by where it sits.
TEST(CliWatchAll, WritesALinePerModemAndReadingWithItsIdentity) {
    const CliOutcome json =
        RunCliCommand("watch --all --json --interval 1 --count 2 --exclude '*com8'", CliStderr::Separate);
    ASSERT_EQ(json.status, 0) << json.err;
    const std::set<std::string> clones = {"imei:356666666666666@" + RealPath(PortsDir() + "/com9"),
                                          "imei:356666666666666@" + RealPath(PortsDir() + "/com10")};
    std::vector<nlohmann::json> lines;
    for (size_t start = 0, end; (end = json.out.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(nlohmann::json::parse(json.out.substr(start, end - start), nullptr, false));
    }
    ASSERT_EQ(lines.size(), 8u) << json.out;
    for (size_t round = 0; round < 2; ++round) {
        const auto& up = lines[round * 4];
        EXPECT_EQ(up["identity"], "imei:351111111111111") << json.out;
        EXPECT_EQ(up["up"], true);
        EXPECT_EQ(up["dbm"], -77);
        EXPECT_EQ(up["technology"], "WCDMA");
        const auto& gone = lines[round * 4 + 1];
        EXPECT_EQ(gone["identity"], "imei:355555555555555") << json.out;
        EXPECT_EQ(gone["up"], false);
        EXPECT_TRUE(gone["dbm"].is_null());
        std::set<std::string> shown;
        for (size_t clone = 2; clone < 4; ++clone) {
            shown.insert(lines[round * 4 + clone]["identity"].get<std::string>());
            EXPECT_EQ(lines[round * 4 + clone]["up"], true) << json.out;
        }
        EXPECT_EQ(shown, clones) << json.out;
    }
    const std::string notice = "vesmarin-cli watch --all: IMEI 356666666666666 is given by more than one modem (";
    EXPECT_NE(json.err.find(notice), std::string::npos) << json.err;
    EXPECT_EQ(json.err.find(notice), json.err.rfind(notice)) << "said once: " << json.err;
    const CliOutcome tab = RunCliCommand("watch --all --interval 1 --count 1 --exclude '*com6,*com8,*com9,*com10'",
                                         CliStderr::Dropped);
    EXPECT_EQ(tab.status, 0);
    EXPECT_NE(tab.out.find("\timei:351111111111111\t" + PortsDir() + "/com5\t1\t18\t-77\t-77 dBm ("), std::string::npos)
        << tab.out;
    EXPECT_EQ(tab.out.find('\n'), tab.out.size() - 1) << tab.out;
    EXPECT_EQ(RunCliCommand("watch --all --count 0", CliStderr::Dropped).status, 2);

    // info --all names them as the exporter does.
    std::set<std::string> named;
    for (const auto& modem : Parse(RunCliCommand("info --all --json --ports '" + PortsDir() + "/com9," + PortsDir() + "/com10'",
                                                     CliStderr::Dropped))) {
        named.insert(modem["identity"]["id"].get<std::string>());
    }
    EXPECT_EQ(named, clones);
}

// A module that answers ERROR where its model, firmware and SIM state belong: its information
// rows show what it said, but the model named for programs is null, in info --all's JSON and
// its header as in watch --all's lines.
TEST(CliWatchAll, AResultCodeIsNoModel) {
    const std::string module = " --ports '" + PortsDir() + "/com8'";
    const CliOutcome info = RunCliCommand("info --all --json" + module, CliStderr::Separate);
    ASSERT_EQ(info.status, 0) << info.err;
    const auto modems = nlohmann::json::parse(info.out, nullptr, false);
    ASSERT_TRUE(modems.is_array() && modems.size() == 1u) << info.out;
    EXPECT_TRUE(modems[0]["model"].is_null()) << modems[0]["model"];
    EXPECT_EQ(modems[0]["identity"]["id"], "imei:356666666666666");
    bool rowShown = false;
    for (const auto& row : modems[0]["rows"]) rowShown = rowShown || row["value"] == "ERROR";
    EXPECT_TRUE(rowShown) << modems[0]["rows"];
    const CliOutcome text = RunCliCommand("info --all" + module, CliStderr::Separate);
    EXPECT_EQ(text.out.rfind("== (" + PortsDir() + "/com8): ", 0), 0u) << text.out;

    const CliOutcome watch = RunCliCommand("watch --all --json --interval 1 --count 1" + module, CliStderr::Separate);
    ASSERT_EQ(watch.status, 0) << watch.err;
    const auto line = nlohmann::json::parse(watch.out, nullptr, false);
    ASSERT_TRUE(line.is_object()) << watch.out;
    EXPECT_EQ(line["up"], true) << watch.out;
    EXPECT_TRUE(line["model"].is_null()) << watch.out;
    EXPECT_EQ(watch.out.find("ERROR"), std::string::npos) << watch.out;
}

// Output that fails ends watch --all at the next round as it ends watch: quietly after a
// reader that went away, exit 3 with the system's reason on a full disk; the reading
// processes ended and no lock left. `timeout` bounds both: 124 would be a watch that ran on.
TEST(CliWatchAll, EndsAtTheFirstFailedWrite) {
    char errPath[] = "/tmp/vesmarin-watch-all-err-XXXXXX";
    char statusPath[] = "/tmp/vesmarin-watch-all-status-XXXXXX";
    const int errFd = mkstemp(errPath), statusFd = mkstemp(statusPath);
    ASSERT_TRUE(errFd >= 0 && statusFd >= 0);
    const auto contents = [](const char* path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    const std::string watch = std::string("timeout 60 ") + VESMARIN_CLI + " watch --all --interval 1 --exclude '*com6,*com9,*com10'";
    const struct {
        std::string command;
        const char* status;
        const char* message;
    } cases[] = {
        {"(" + watch + " 2>" + errPath + "; echo $? >" + statusPath + ") | head -1 >/dev/null", "0\n", ""},
        {watch + " >/dev/full 2>" + errPath + "; echo $? >" + statusPath,
         "3\n", "vesmarin-cli watch: the output could not be written: No space left on device\n"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(std::system(c.command.c_str()), 0) << c.command;
        EXPECT_EQ(contents(statusPath), c.status) << c.command << ": " << contents(errPath);
        EXPECT_EQ(contents(errPath), c.message) << c.command;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << c.command;
        EXPECT_TRUE(ReadersUnder(PortsDir()).empty()) << c.command;
        EXPECT_TRUE(LockFiles().empty()) << c.command;
    }
    close(errFd);
    close(statusFd);
    unlink(errPath);
    unlink(statusPath);
}

}  // namespace
