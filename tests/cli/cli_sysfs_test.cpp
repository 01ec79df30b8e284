// scan naming devices as Linux does, and by-id links as port arguments, on a made-up sysfs
// tree whose ttys are the simulator's ptys. Layout CliSysfs: COM5 answers, COM6 is silent,
// COM7 answers but the tree does not know its device. CliSysfsUsb: the account of the USB
// devices that are or may be modems, on trees made from rows, with no port answering.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
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

// An environment variable set for a while, then put back as it was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// A scratch directory, removed with what it holds.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/vesmarin-usb-XXXXXX";
        path_ = mkdtemp(pattern) ? pattern : "";
    }
    ~ScratchDir() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

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
            "/1-2:1.2/ttyUSB2' '" + root_ + "/sys/class/tty' '" + root_ + "/dev/serial/by-id' '" + root_ +
            "/sys/bus/usb/devices'");
        ASSERT_EQ(symlink(("../../../../" + usb).c_str(), (root_ + "/sys/bus/usb/devices/1-2").c_str()), 0);
        Write(root_ + "/" + usb + "/1-2:1.0/bInterfaceClass", "ff");
        Write(root_ + "/" + usb + "/1-2:1.2/bInterfaceClass", "ff");
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
        sysfsRoot_ = std::make_unique<ScopedEnv>("VESMARIN_SYSFS_ROOT", root_);
    }
    void TearDown() override {
        sysfsRoot_.reset();
        Run("rm -rf '" + root_ + "'");
    }
    void Tty(const std::string& pty, const std::string& deviceLink) {
        const std::string dir = root_ + "/sys/class/tty/" + pty.substr(pty.rfind('/') + 1);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(symlink(("../" + deviceLink).c_str(), (dir + "/device").c_str()), 0);
    }
    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

    std::string root_, atPty_, silentPty_, byId_;
    std::unique_ptr<ScopedEnv> sysfsRoot_;
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

// Nothing answers on the stick's two ports: the account says what each one did.
TEST_F(CliSysfs, NoModemAnsweringSaysWhatEachPortOfTheStickDid) {
    ScratchDir ports, locks;
    ASSERT_EQ(symlink(atPty_.c_str(), (ports.path() + "/com5").c_str()), 0);
    ASSERT_EQ(symlink(silentPty_.c_str(), (ports.path() + "/com6").c_str()), 0);
    Write(locks.path() + "/LCK..pts_" + atPty_.substr(atPty_.rfind('/') + 1), std::to_string(getpid()));
    ScopedEnv usePorts("VESMARIN_PORTS", ports.path());
    ScopedEnv useLocks("VESMARIN_LOCK_DIR", locks.path());
    const Outcome scan = RunCli("scan");
    EXPECT_EQ(scan.status, 1) << scan.out;
    EXPECT_NE(
        scan.out.find("USB devices that are or may be modems:\n  1-2 f1e5:0a17 Zentrawave ZW Mobile Broadband: serial\n"
                      "    has serial ports, and none answered as a modem: /dev/ttyUSB0 stayed silent; " +
                      ports.path() + "/com5 is in use by "),
        std::string::npos)
        << scan.out;
    EXPECT_NE(scan.out.find("ModemManager often does"), std::string::npos) << scan.out;
}

// One row of a made-up USB tree, laid out as Linux lays it out. A device ("1-2"): vendor and
// product id, maker and product strings ("" none). One of its interfaces ("1-2:1.0"): class,
// endpoints, driver ("" none) and what the driver made below it: ttyUSB0, ttyACM0, net/usb0,
// usbmisc/cdc-wdm0, sr0 (a SCSI CD-ROM), sda (a SCSI disk).
struct UsbRow {
    const char* node;
    const char* a;
    const char* b;
    const char* c;
    const char* d;
};

const UsbRow kUsbRows[] = {
    {"1-1", "f1e5", "1f01", "Zentrawave", "ZW Stick"},  // storage, named by an ATTR rule
    {"1-1:1.0", "08/06/50", "2", "usb-storage", "sr0"},
    {"1-1:1.1", "08/06/50", "2", "usb-storage", "sda"},  // its card reader
    {"1-2", "f1e7", "0042", "Nordlink", "NL Mobile"},    // storage, the vendor's ATTRS rule
    {"1-2:1.0", "08/06/50", "2", "usb-storage", "sr1"},
    {"1-3", "f1e5", "1f02", "Zentra\x1b[2Jwave\xff", "ZW\r Stick\n2"},  // storage, no rule
    {"1-3:1.0", "08/06/50", "2", "usb-storage", "sr2"},
    {"1-4", "f1e5", "14db", "Zentrawave", "ZW HiLink"},  // router mode, with a gateway
    {"1-4:1.0", "02/06/00", "1", "cdc_ether", "net/usb0"},
    {"1-4:1.1", "0a/00/00", "2", "cdc_ether", ""},
    {"1-5", "f1e5", "14dc", "Zentrawave", "ZW RNDIS"},  // router mode, no gateway
    {"1-5:1.0", "e0/01/03", "1", "rndis_host", "net/usb1"},
    {"1-5:1.1", "0a/00/00", "2", "rndis_host", ""},
    {"2-1", "f1e5", "9001", "Zentrawave", "ZW LTE"},  // AT interfaces without a driver, and QMI
    {"2-1:1.0", "ff/ff/ff", "2", "", ""},
    {"2-1:1.2", "ff/ff/ff", "3", "", ""},
    {"2-1:1.4", "ff/ff/ff", "3", "qmi_wwan", "net/wwan0 usbmisc/cdc-wdm0"},
    {"2-2", "f1e5", "9002", "Zentrawave", "ZW MBIM"},
    {"2-2:1.0", "02/0e/00", "1", "cdc_mbim", "usbmisc/cdc-wdm1 net/wwan1"},
    {"2-2:1.1", "0a/00/02", "2", "cdc_mbim", ""},
    {"2-3", "f1e5", "1506", "Zentrawave", "ZW Modem"},  // serial, with its driver disc
    {"2-3:1.0", "ff/ff/ff", "3", "option", "ttyUSB0"},
    {"2-3:1.2", "ff/ff/ff", "2", "option", "ttyUSB2"},
    {"2-3:1.3", "08/06/50", "2", "usb-storage", "sr3"},
    {"2-4", "f1e5", "1404", "", ""},
    {"2-4:1.0", "02/02/01", "1", "cdc_acm", "ttyACM0"},
    {"2-4:1.1", "0a/00/00", "2", "cdc_acm", ""},
    {"3-1", "f1e9", "0101", "Zentra", "Keyboard"},  // none of the 3-x is a modem
    {"3-1:1.0", "03/01/01", "1", "usbhid", ""},
    {"3-2", "f1e9", "0202", "Zentra", "Hub"},
    {"3-2:1.0", "09/00/00", "1", "hub", ""},
    {"3-3", "f1e9", "0303", "Zentra", "Bluetooth"},
    {"3-3:1.0", "e0/01/01", "3", "btusb", ""},
    {"3-3:1.1", "e0/01/01", "2", "btusb", ""},
    {"3-4", "f1e9", "0404", "Zentra", "Fingerprint"},
    {"3-4:1.0", "ff/00/00", "3", "", ""},
    {"4-5", "f1e5", "1f01", "", ""},  // its idVendor becomes a directory
    {"4-5:1.0", "08/06/50", "2", "usb-storage", "sr4"},
    {"4-6", "f1e5", "1f03", "", "ZW Stick 3"},  // its manufacturer is a directory
    {"4-6:1.0", "08/06/50", "2", "usb-storage", "sr5"},
    {"4-7", "f1e5", "9003", "", ""},  // its driver links dangle
    {"4-7:1.0", "ff/ff/ff", "2", "vanished", "ttyUSB9"},
    {"4-7:1.1", "ff/ff/ff", "2", "vanished", ""},
};

class UsbTree {
public:
    explicit UsbTree(const std::string& root) : root_(root) {}

    void Add(const UsbRow& row) {
        const std::string node = row.node;
        const size_t colon = node.find(':');
        const std::string device = node.substr(0, colon);
        const std::string deviceDir =
            "sys/devices/pci0000:00/0000:00:14.0/usb" + device.substr(0, device.find('-')) + "/" + device;
        if (colon == std::string::npos) {
            Dirs(deviceDir);
            Attribute(deviceDir, "idVendor", row.a);
            Attribute(deviceDir, "idProduct", row.b);
            if (*row.c != '\0') Attribute(deviceDir, "manufacturer", row.c);
            if (*row.d != '\0') Attribute(deviceDir, "product", row.d);
            Link("sys/bus/usb/devices/" + device, deviceDir);
            return;
        }
        const std::string dir = deviceDir + "/" + node;
        Dirs(dir);
        char number[8];
        std::snprintf(number, sizeof number, "%02x", std::atoi(node.substr(node.rfind('.') + 1).c_str()));
        const std::string classes = row.a;
        Attribute(dir, "bInterfaceNumber", number);
        Attribute(dir, "bInterfaceClass", classes.substr(0, 2));
        Attribute(dir, "bInterfaceSubClass", classes.substr(3, 2));
        Attribute(dir, "bInterfaceProtocol", classes.substr(6, 2));
        Attribute(dir, "bNumEndpoints", std::string("0") + row.b);
        Link(dir + "/subsystem", "sys/bus/usb");  // a loop for whoever follows links down
        if (std::string(row.c) == "vanished") {
            Link(dir + "/driver", "sys/bus/usb/drivers/vanished");
        } else if (*row.c != '\0') {
            Dirs("sys/bus/usb/drivers/" + std::string(row.c));
            Link(dir + "/driver", "sys/bus/usb/drivers/" + std::string(row.c));
        }
        Link("sys/bus/usb/devices/" + node, dir);
        std::istringstream below(row.d);
        for (std::string item; below >> item;) {
            if (item.compare(0, 6, "ttyUSB") == 0) {
                // A ttyUSB on a dangling driver is a link up the tree, not a port.
                if (std::string(row.c) == "vanished") {
                    Link(dir + "/" + item, deviceDir);
                } else {
                    Dirs(dir + "/" + item + "/tty/" + item);
                }
            } else if (item.compare(0, 6, "ttyACM") == 0) {
                Dirs(dir + "/tty/" + item);
            } else if (item.find('/') != std::string::npos) {
                Dirs(dir + "/" + item);
            } else {
                const std::string host = "host" + std::to_string(++hosts_);
                const std::string unit =
                    dir + "/" + host + "/target" + std::to_string(hosts_) + ":0:0/" + std::to_string(hosts_) + ":0:0:0";
                Dirs(unit + "/block/" + item);
                Attribute(unit, "type", item.compare(0, 2, "sr") == 0 ? "5" : "0");
            }
        }
    }
    void Dirs(const std::string& path) const {
        for (size_t slash = 0; slash != std::string::npos;) {
            slash = path.find('/', slash + 1);
            mkdir((root_ + "/" + path.substr(0, slash)).c_str(), 0755);
        }
    }
    void Attribute(const std::string& dir, const char* name, const std::string& value) const {
        Write(root_ + "/" + dir + "/" + name, value);
    }
    // A relative link at `from` to `to`, both under the root.
    void Link(const std::string& from, const std::string& to) const {
        std::string up;
        for (char c : from) {
            if (c == '/') up += "../";
        }
        Dirs(from.substr(0, from.rfind('/')));
        unlink((root_ + "/" + from).c_str());
        EXPECT_EQ(symlink((up + to).c_str(), (root_ + "/" + from).c_str()), 0) << from;
    }
    // An attribute that is a directory.
    void DirectoryFor(const std::string& device, const char* name) const {
        const std::string path = root_ + "/sys/bus/usb/devices/" + device + "/" + name;
        unlink(path.c_str());
        EXPECT_EQ(mkdir(path.c_str(), 0755), 0) << path;
    }

private:
    std::string root_;
    int hosts_ = 0;
};

class CliSysfsUsb : public ::testing::Test {
protected:
    void SetUp() override {
        UsbTree tree(root_.path());
        for (const auto& row : kUsbRows) tree.Add(row);
        tree.DirectoryFor("4-5", "idVendor");
        tree.DirectoryFor("4-6", "manufacturer");
        tree.Link("sys/bus/usb/devices/4-1", "sys/bus/usb/devices/4-1");  // links in a loop
        tree.Link("sys/bus/usb/devices/4-2", "sys/bus/usb/devices/4-3");
        tree.Link("sys/bus/usb/devices/4-3", "sys/bus/usb/devices/4-2");
        tree.Link("sys/bus/usb/devices/4-4", "sys/devices/gone/4-4");  // dangling
        tree.Dirs("lib/udev/rules.d");
        tree.Dirs("proc/net");
        Run("cp '" VESMARIN_TEST_FIXTURES "/40-usb_modeswitch.rules' '" + root_.path() + "/lib/udev/rules.d/'");
        std::ofstream(root_.path() + "/proc/net/route")
            << "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
               "usb0\t00000000\t0108A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
               "usb0\t0008A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
               "usb1\t002AA8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n";
    }
    static void Run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }
    CliOutcome Scan(const std::string& args, CliStderr err = CliStderr::Separate) {
        ScopedEnv root("VESMARIN_SYSFS_ROOT", root_.path());
        ScopedEnv ports("VESMARIN_PORTS", ports_.path());
        return RunCliCommand(args, err);
    }

    ScratchDir root_, ports_;  // no comN: no modem answers
};

TEST_F(CliSysfsUsb, JsonListsEveryDeviceThatIsOrMayBeAModem) {
    const CliOutcome scan = Scan("scan --json");
    EXPECT_EQ(scan.status, 1) << scan.err;
    const auto document = nlohmann::json::parse(scan.out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << scan.out;
    const struct {
        const char* path;
        const char* mode;
        nlohmann::json known;
        nlohmann::json gateway;
        const char* advice;
    } expected[] = {
        {"1-1", "storage", true, nullptr, "(CD drive sr0). The rules of usb-modeswitch-data name f1e5:1f01"},
        {"1-2", "storage", true, nullptr, "name f1e7:0042 as a known stick"},
        {"1-3", "storage", false, nullptr, "do not name f1e5:1f02"},
        {"1-4", "network", false, "192.168.8.1", "open http://192.168.8.1/ (the gateway on usb0 of cdc_ether)"},
        {"1-5", "network", false, nullptr, "gateway on usb1 of rndis_host, which the routing table does not name now."},
        {"2-1", "unbound", false, nullptr,
         "interfaces 00, 02 have no driver (a fingerprint reader looks the same). As root, these lines bind them to "
         "the "
         "serial driver; it lasts until reboot:\n  modprobe option\n  echo f1e5 9001 > "
         "/sys/bus/usb-serial/drivers/option1/new_id\nIt also shows a QMI control device /dev/cdc-wdm0 (qmi_wwan)."},
        {"2-2", "mbim", false, nullptr,
         "speaks MBIM, not AT commands, on its control device /dev/cdc-wdm1 (cdc_mbim)."},
        {"2-3", "serial", false, nullptr,
         "/dev/ttyUSB0 was not tried; /dev/ttyUSB2 was not tried.\nIt also shows CD drive sr3."},
        {"2-4", "serial", false, nullptr, "/dev/ttyACM0 was not tried."},
        {"4-6", "storage", true, nullptr, "name f1e5:1f03 as a known stick"},
        {"4-7", "unbound", false, nullptr, "interfaces 00, 01 have no driver"},
    };
    const auto& devices = document["usb_devices"];
    ASSERT_EQ(devices.size(), std::size(expected)) << devices.dump(1);
    for (size_t i = 0; i < devices.size(); ++i) {
        const auto& device = devices[i];
        const auto& want = expected[i];
        EXPECT_EQ(device["usb_path"], want.path);
        EXPECT_EQ(device["mode"], want.mode) << want.path;
        EXPECT_EQ(device["known_storage_id"], want.known) << want.path;
        EXPECT_EQ(device["gateway"], want.gateway) << want.path;
        EXPECT_NE(device["advice"].get<std::string>().find(want.advice), std::string::npos) << device["advice"];
    }
    EXPECT_EQ(devices[1]["manufacturer"], "Nordlink");
    EXPECT_EQ(devices[2]["product"], "ZW\r Stick");     // the first line
    EXPECT_TRUE(devices[9]["manufacturer"].is_null());  // a directory is no string
    EXPECT_EQ(devices[5]["control_devices"], nlohmann::json({"/dev/cdc-wdm0"}));
    EXPECT_EQ(devices[5]["net_interfaces"], nlohmann::json({"wwan0"}));
    EXPECT_EQ(devices[5]["interfaces"][2],
              nlohmann::json({{"number", "04"}, {"class", "ff/ff/ff"}, {"driver", "qmi_wwan"}}));
    EXPECT_EQ(devices[5]["interfaces"][0]["driver"], nullptr);
    EXPECT_EQ(
        devices[7]["ports"][1],
        nlohmann::json({{"device", "/dev/ttyUSB2"}, {"interface", "02"}, {"state", "not_tried"}, {"reason", nullptr}}));
    EXPECT_EQ(devices[10]["ports"], nlohmann::json::array());  // a link named ttyUSB9 is no port
    EXPECT_NE(document["hint"].get<std::string>().find("USB 1-1 f1e5:1f01: in storage mode"), std::string::npos);

    // Without usb-modeswitch-data its rules are unknown, and the advice names the packages.
    Run("rm '" + root_.path() + "/lib/udev/rules.d/40-usb_modeswitch.rules'");
    const auto bare = nlohmann::json::parse(Scan("scan --json").out, nullptr, false);
    ASSERT_EQ(bare["usb_devices"].size(), std::size(expected));
    EXPECT_TRUE(bare["usb_devices"][0]["known_storage_id"].is_null());
    EXPECT_NE(bare["usb_devices"][0]["advice"].get<std::string>().find("install the packages usb-modeswitch and "
                                                                       "usb-modeswitch-data"),
              std::string::npos);
}

TEST_F(CliSysfsUsb, ScanInfoAllAndVerboseNameTheDevices) {
    const CliOutcome scan = Scan("scan");
    EXPECT_EQ(scan.status, 1);
    EXPECT_EQ(scan.out, "");
    EXPECT_NE(
        scan.err.find("No serial devices exist here.\nUSB devices that are or may be modems:\n"
                      "  1-1 f1e5:1f01 Zentrawave ZW Stick: storage\n    in storage mode; a mode switch makes its "
                      "modem appear (CD drive sr0). "),
        std::string::npos)
        << scan.err;
    EXPECT_NE(scan.err.find("  1-3 f1e5:1f02 Zentra\\x1b[2Jwave\\xff ZW\\x0d Stick: storage\n"), std::string::npos)
        << scan.err;
    EXPECT_NE(
        scan.err.find("\n      modprobe option\n      echo f1e5 9001 > /sys/bus/usb-serial/drivers/option1/new_id\n"),
        std::string::npos)
        << scan.err;
    for (const char* absent : {"f1e9:", "4-5", "needs mode switching"})
        EXPECT_EQ(scan.err.find(absent), std::string::npos) << absent;

    const CliOutcome verbose = Scan("scan --verbose");
    EXPECT_NE(verbose.out.find("  2-1 f1e5:9001 Zentrawave ZW LTE: unbound\n    interface 00 ff/ff/ff, no driver\n"
                               "    interface 02 ff/ff/ff, no driver\n"
                               "    interface 04 ff/ff/ff, driver qmi_wwan: network interface wwan0, /dev/cdc-wdm0\n"),
              std::string::npos)
        << verbose.out;
    EXPECT_NE(verbose.err.find("The USB devices listed with the ports say why.\n"), std::string::npos) << verbose.err;

    const CliOutcome all = Scan("info --all");
    EXPECT_EQ(all.status, 1);
    EXPECT_NE(all.err.find("vesmarin-cli info --all: USB 1-1 f1e5:1f01 Zentrawave ZW Stick: storage, no AT port"),
              std::string::npos)
        << all.err;
    EXPECT_NE(all.err.find("USB 1-4 f1e5:14db Zentrawave ZW HiLink: network,"), std::string::npos) << all.err;
    EXPECT_EQ(all.err.find("USB 2-3 "), std::string::npos) << all.err;  // serial: read as a modem, not named
}

}  // namespace
