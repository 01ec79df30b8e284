// sysfs as Linux lays it out: /sys/bus/usb/devices holds a link per USB device ("1-2") and per
// interface ("1-2:1.0"); each interface directory lies inside its device's and holds its
// attributes, a `driver` link while a driver has it, and what that driver made below it.
// Only directories are descended into and links are never followed below a device, so a
// made-up or odd tree (loops, dangling links, a directory where a file belongs) costs nothing.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "host/id_text.h"
#include "host/modem_ports.h"
#include "host/usb_modem_devices.h"
#include "host/usb_modem_hints.h"

namespace {

constexpr size_t kMaxAttributeBytes = 256;
constexpr size_t kMaxNamesPerDirectory = 1024;
constexpr size_t kMaxTextFileBytes = 1 << 20;  // the rules file is some 50 KB

// A regular file's bytes, at most `limit`; false for anything else. Opened without waiting, so
// a FIFO or a device where a file belongs cannot hold the scan.
bool ReadRegularFile(const std::string& path, size_t limit, std::string* text) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    text->clear();
    char buffer[4096];
    while (text->size() < limit) {
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, limit - text->size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text->append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

// A sysfs attribute's first line.
std::string Attribute(const std::string& dir, const char* name) {
    std::string text;
    if (!ReadRegularFile(dir + "/" + name, kMaxAttributeBytes, &text)) return "";
    const size_t end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    return text;
}

// A directory itself, not a link to one.
bool IsDirectory(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* handle = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(handle)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            if (names.size() == kMaxNamesPerDirectory) break;
            names.emplace_back(entry->d_name);
        }
        closedir(handle);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// "ttyUSB2" for prefix "ttyUSB": the prefix and digits only.
bool IsNumbered(const std::string& name, const char* prefix) {
    const size_t length = std::strlen(prefix);
    return name.size() > length && StartsWith(name, prefix) &&
           std::all_of(name.begin() + static_cast<long>(length), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The driver's name while its link leads somewhere: a dangling link binds nothing.
std::string Driver(const std::string& interfaceDir) {
    const std::string link = interfaceDir + "/driver";
    char target[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    struct stat info {};
    if (length <= 0 || stat(link.c_str(), &info) != 0) return "";
    target[length] = '\0';
    const char* slash = std::strrchr(target, '/');
    return slash != nullptr ? slash + 1 : target;
}

// usb-storage's SCSI host: hostN/targetN:0:0/N:0:0:L, with `type` 5 for a CD-ROM and its
// block device under block/.
void ReadScsiHost(const std::string& hostDir, UsbInterface* interface) {
    for (const auto& target : Names(hostDir)) {
        const std::string targetDir = hostDir + "/" + target;
        if (!StartsWith(target, "target") || !IsDirectory(targetDir)) continue;
        for (const auto& unit : Names(targetDir)) {
            const std::string unitDir = targetDir + "/" + unit;
            if (unit.find(':') == std::string::npos || !IsDirectory(unitDir)) continue;
            if (Attribute(unitDir, "type") != "5") continue;
            interface->cdRom = true;
            for (const auto& block : Names(unitDir + "/block")) {
                if (IsNumbered(block, "sr")) interface->cdDrives.push_back(block);
            }
        }
    }
}

// What the interface's driver made below it.
void ReadBelow(const std::string& dir, UsbInterface* interface) {
    for (const auto& name : Names(dir)) {
        const std::string path = dir + "/" + name;
        if (!IsDirectory(path)) continue;
        if (IsNumbered(name, "ttyUSB")) {
            interface->ports.push_back({"/dev/" + name, UsbPortState::NotTried, ""});
        } else if (name == "tty") {
            for (const auto& tty : Names(path)) {
                if (IsNumbered(tty, "ttyACM") && IsDirectory(path + "/" + tty)) {
                    interface->ports.push_back({"/dev/" + tty, UsbPortState::NotTried, ""});
                }
            }
        } else if (name == "net") {
            for (const auto& net : Names(path)) {
                if (IsDirectory(path + "/" + net)) interface->netInterfaces.push_back(net);
            }
        } else if (name == "usbmisc" || name == "usb") {  // "usb" on older kernels
            for (const auto& control : Names(path)) {
                if (IsNumbered(control, "cdc-wdm")) interface->controlDevices.push_back("/dev/" + control);
            }
        } else if (IsNumbered(name, "host")) {
            ReadScsiHost(path, interface);
        }
    }
}

UsbInterface ReadInterface(const std::string& dir) {
    UsbInterface interface;
    interface.number = AsciiLower(Attribute(dir, "bInterfaceNumber"));
    interface.classCode = AsciiLower(Attribute(dir, "bInterfaceClass"));
    interface.subclass = AsciiLower(Attribute(dir, "bInterfaceSubClass"));
    interface.protocol = AsciiLower(Attribute(dir, "bInterfaceProtocol"));
    const std::string endpoints = Attribute(dir, "bNumEndpoints");
    if (IsHexDigits(endpoints, 2)) interface.endpoints = static_cast<int>(std::strtol(endpoints.c_str(), nullptr, 16));
    interface.driver = Driver(dir);
    ReadBelow(dir, &interface);
    return interface;
}

// The device at bus/usb/devices/NAME, when it names itself with sysfs's four hex digits.
bool ReadDevice(const std::string& devicesDir, const std::string& name, UsbDevice* device) {
    const std::string dir = devicesDir + "/" + name;
    device->usbPath = name;
    device->vendorId = AsciiLower(Attribute(dir, "idVendor"));
    device->productId = AsciiLower(Attribute(dir, "idProduct"));
    if (!IsHexDigits(device->vendorId, 4) || !IsHexDigits(device->productId, 4)) return false;
    device->manufacturer = Attribute(dir, "manufacturer");
    device->product = Attribute(dir, "product");
    for (const auto& child : Names(dir)) {
        if (StartsWith(child, (name + ":").c_str()) && IsDirectory(dir + "/" + child)) {
            device->interfaces.push_back(ReadInterface(dir + "/" + child));
        }
    }
    std::stable_sort(device->interfaces.begin(), device->interfaces.end(),
                     [](const UsbInterface& a, const UsbInterface& b) { return NaturalLess(a.number, b.number); });
    return true;
}

std::string SystemRoot() {
    const char* root = std::getenv("VESMARIN_SYSFS_ROOT");
    return root != nullptr ? root : "";
}

}  // namespace

std::vector<UsbDevice> ListUsbModemDevices(bool* surveyed) {
    *surveyed = true;
    const std::string root = SystemRoot();
    const std::string devicesDir = root + "/sys/bus/usb/devices";
    std::string text;
    std::optional<ModeSwitchIds> rules;
    if (ReadRegularFile(root + "/lib/udev/rules.d/40-usb_modeswitch.rules", kMaxTextFileBytes, &text)) {
        rules = ParseModeSwitchRules(text);
    }
    std::string routes;
    ReadRegularFile(root + "/proc/net/route", kMaxTextFileBytes, &routes);

    std::vector<UsbDevice> devices;
    for (const auto& name : Names(devicesDir)) {
        if (name.find(':') != std::string::npos) continue;  // an interface
        UsbDevice device;
        if (!ReadDevice(devicesDir, name, &device) || ModeOf(device) == UsbMode::None) continue;
        if (rules) device.knownStorageId = IsModeSwitchId(*rules, device.vendorId, device.productId);
        std::vector<std::string> nets;
        for (const auto& interface : device.interfaces) {
            nets.insert(nets.end(), interface.netInterfaces.begin(), interface.netInterfaces.end());
        }
        device.gateway = GatewayOn(routes, nets);
        devices.push_back(std::move(device));
    }
    return devices;  // Names() gave them in USB path order
}
