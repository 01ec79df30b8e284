// scan naming devices as Linux does, and by-id links as port arguments, on a made-up sysfs
// tree whose ttys are the simulator's ptys. Layout CliSysfs: COM5 answers, COM6 is silent,
// COM7 answers but the tree does not know its device.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "tests/cli/run_cli.h"

namespace {

using Outcome = CliOutcome;

Outcome RunCli(const std::string& args) { return RunCliCommand(args, CliStderr::Merged); }

std::string RealPath(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr ? real : "";
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text << "\n"; }

const char kById[] = "usb-Zentrawave_ZW_Mobile_Broadband_0123456789ABCDEF-if02-port0";

// The tree: one USB stick (vendor f1e5, product 0a17) with interfaces 00 and 02, whose tty
// nodes are COM6's and COM5's ptys; a by-id link to COM5's pty; environment set for the tool.
class CliSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vesmarin-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        const std::string ports = std::getenv("VESMARIN_PORTS");
        atPty_ = RealPath(ports + "/com5");
        silentPty_ = RealPath(ports + "/com6");
        ASSERT_EQ(atPty_.rfind("/dev/pts/", 0), 0u) << atPty_;
        const std::string usb = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";
        Run("mkdir -p '" + root_ + "/" + usb + "/1-2:1.0/ttyUSB0' '" + root_ + "/" + usb +
            "/1-2:1.2/ttyUSB2' '" + root_ + "/sys/class/tty' '" + root_ + "/dev/serial/by-id'");
        Write(root_ + "/" + usb + "/idVendor", "f1e5");
        Write(root_ + "/" + usb + "/idProduct", "0a17");
        Write(root_ + "/" + usb + "/manufacturer", "Zentrawave");
        Write(root_ + "/" + usb + "/product", "ZW Mobile Broadband");
        Write(root_ + "/" + usb + "/serial", "0123456789ABCDEF");
        Write(root_ + "/" + usb + "/1-2:1.0/bInterfaceNumber", "00");
        Write(root_ + "/" + usb + "/1-2:1.2/bInterfaceNumber", "02");
        // sysfs names a tty by its node: for a pty, the number under /dev/pts.
        Tty(atPty_, "../../../" + usb + "/1-2:1.2/ttyUSB2");
        Tty(silentPty_, "../../../" + usb + "/1-2:1.0/ttyUSB0");
        byId_ = root_ + "/dev/serial/by-id/" + kById;
        ASSERT_EQ(symlink(atPty_.c_str(), byId_.c_str()), 0);
        setenv("VESMARIN_SYSFS_ROOT", root_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("VESMARIN_SYSFS_ROOT");
        Run("rm -rf '" + root_ + "'");
    }
    void Tty(const std::string& pty, const std::string& deviceLink) {
        const std::string dir = root_ + "/sys/class/tty/" + pty.substr(pty.rfind('/') + 1);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(symlink(("../" + deviceLink).c_str(), (dir + "/device").c_str()), 0);
    }
    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

    std::string root_, atPty_, silentPty_, byId_;
};

TEST_F(CliSysfs, JsonNamesEachPortsDeviceWithItsUsbFacts) {
    const Outcome scan = RunCli("scan --json");
    ASSERT_EQ(scan.status, 0) << scan.out;
    const auto document = nlohmann::json::parse(scan.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << scan.out;
    ASSERT_EQ(document["ports"].size(), 3u) << scan.out;
    const auto& at = document["ports"][0]["device"];
    EXPECT_EQ(at["path"], atPty_);
    EXPECT_EQ(at["by_id"], byId_);
    // A scan asks no IMEI: the socket names the modem, under the keys info --json uses.
    EXPECT_EQ(document["ports"][0]["identity"],
              nlohmann::json({{"id", "usb:1-2"}, {"imei", nullptr}, {"usb_path", "1-2"}, {"by_id", byId_}}));
    EXPECT_EQ(at["usb"], nlohmann::json({{"vendor_id", "f1e5"}, {"product_id", "0a17"},
                                         {"manufacturer", "Zentrawave"}, {"product", "ZW Mobile Broadband"},
                                         {"serial", "0123456789ABCDEF"}, {"interface", "02"}}));
    // The silent port is the same stick's other interface, with no by-id link here.
    const auto& silent = document["ports"][1]["device"];
    EXPECT_EQ(document["ports"][1]["result"], "silent");
    EXPECT_EQ(silent["usb"]["interface"], "00");
    EXPECT_TRUE(silent["by_id"].is_null());
    // A device the tree does not describe says so rather than guessing.
    EXPECT_TRUE(document["ports"][2]["device"]["usb"].is_null()) << scan.out;
    EXPECT_TRUE(document["ports"][2]["device"]["by_id"].is_null());
}

TEST_F(CliSysfs, VerboseShowsTheFactsOfPortsThatDidNotAnswerToo) {
    const Outcome scan = RunCli("scan --verbose");
    ASSERT_EQ(scan.status, 0) << scan.out;
    EXPECT_NE(scan.out.find("    device " + atPty_ +
                            ", USB f1e5:0a17 Zentrawave ZW Mobile Broadband interface 02 serial "
                            "0123456789ABCDEF, by-id " + byId_ + "\n"),
              std::string::npos)
        << scan.out;
    const size_t silent = scan.out.find("opened but silent");
    ASSERT_NE(silent, std::string::npos) << scan.out;
    EXPECT_EQ(scan.out.find("    device " + silentPty_ + ", USB f1e5:0a17 Zentrawave ZW Mobile Broadband interface 00 "),
              scan.out.find('\n', silent) + 1)
        << scan.out;
    EXPECT_NE(scan.out.find(", no USB facts (not a USB device)\n"), std::string::npos) << scan.out;
    // Into a pipe the plain scan stays one entry per line, as scripts read it.
    EXPECT_EQ(RunCli("scan").out, "E173 (COM5)\nE1550 (COM7)\n");
}

TEST_F(CliSysfs, AByIdLinkIsAPortAndItsLockIsTheRealDevices) {
    const Outcome reply = RunCli("at '" + byId_ + "' AT+CGMM");
    EXPECT_EQ(reply.status, 0) << reply.out;
    EXPECT_NE(reply.out.find("E173"), std::string::npos) << reply.out;

    // A live process's lock on the pty keeps the link out as well: the lock is found under
    // the device's own name.
    char pattern[] = "/tmp/vesmarin-locks-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string locks = pattern;
    const std::string lock = locks + "/LCK..pts_" + atPty_.substr(atPty_.rfind('/') + 1);
    Write(lock, std::to_string(getpid()));
    setenv("VESMARIN_LOCK_DIR", locks.c_str(), 1);
    const Outcome busy = RunCli("at '" + byId_ + "' AT+CGMM");
    const Outcome watch = RunCli("watch --count 1 '" + byId_ + "'");
    unsetenv("VESMARIN_LOCK_DIR");
    Run("rm -rf '" + locks + "'");
    EXPECT_EQ(busy.status, 2) << busy.out;
    EXPECT_NE(busy.out.find("is in use by"), std::string::npos) << busy.out;
    EXPECT_EQ(watch.status, 2) << watch.out;
    EXPECT_NE(watch.out.find("is in use by"), std::string::npos) << watch.out;
}

}  // namespace
