#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/device_identity.h"
#include "link/port_names.h"

namespace {

// Longer attribute texts are not facts a person reads off a stick.
constexpr size_t kMaxAttributeBytes = 256;

std::string SystemRoot() {
    const char* root = std::getenv("VESMARIN_SYSFS_ROOT");
    return root != nullptr ? root : "";
}

bool Resolve(const std::string& path, std::string* real) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) == nullptr) return false;
    *real = buffer;
    return true;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// One sysfs attribute: its first line, without the line end.
std::string Attribute(const std::string& dir, const char* name) {
    std::FILE* file = std::fopen((dir + "/" + name).c_str(), "rb");
    if (file == nullptr) return "";
    char buffer[kMaxAttributeBytes + 1];
    const size_t got = std::fread(buffer, 1, kMaxAttributeBytes, file);
    std::fclose(file);
    std::string text(buffer, got);
    const size_t end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    return text;
}

std::string Parent(const std::string& dir) {
    const size_t slash = dir.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : dir.substr(0, slash);
}

// sysfs: the tty's device is the USB serial port (ttyUSB) or the interface itself (ttyACM);
// above it lie the interface (bInterfaceNumber) and the USB device (idVendor and the rest).
void ReadUsbFacts(const std::string& root, const std::string& ttyName, DeviceIdentity* identity) {
    std::string dir;
    std::string sys;
    if (!Resolve(root + "/sys/class/tty/" + ttyName + "/device", &dir) || !Resolve(root + "/sys", &sys)) return;
    for (; dir.size() > sys.size() && dir.compare(0, sys.size(), sys) == 0; dir = Parent(dir)) {
        if (identity->interfaceNumber.empty() && Exists(dir + "/bInterfaceNumber"))
            identity->interfaceNumber = Attribute(dir, "bInterfaceNumber");
        if (Exists(dir + "/idVendor")) {
            identity->usb = true;
            identity->usbPath = dir.substr(dir.rfind('/') + 1);
            identity->vendorId = Attribute(dir, "idVendor");
            identity->productId = Attribute(dir, "idProduct");
            identity->manufacturer = Attribute(dir, "manufacturer");
            identity->product = Attribute(dir, "product");
            identity->serial = Attribute(dir, "serial");
            return;
        }
    }
    identity->interfaceNumber.clear();   // an interface without its device tells nothing
}

std::string ByIdLink(const std::string& root, const std::string& device) {
    const std::string dir = root + "/dev/serial/by-id";
    std::vector<std::string> names;
    if (DIR* handle = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(handle)) {
            if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
        }
        closedir(handle);
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        std::string target;
        if (Resolve(dir + "/" + name, &target) && target == device) return dir + "/" + name;
    }
    return "";
}

}  // namespace

bool IdentifyDevice(const std::string& path, DeviceIdentity* identity) {
    *identity = DeviceIdentity{};
    if (!Resolve(path, &identity->device)) return false;
    const std::string root = SystemRoot();
    // sysfs names a tty by its node's name ("ttyUSB2"); a pty's ("3" of /dev/pts/3) has no
    // entry there, so it ends without facts, as it should.
    const size_t slash = identity->device.rfind('/');
    ReadUsbFacts(root, identity->device.substr(slash + 1), identity);
    identity->byIdLink = ByIdLink(root, identity->device);
    return true;
}

std::string ComDevicePath(int portNumber) {
    char device[PATH_MAX];
    const std::string path = "\\\\.\\COM" + std::to_string(portNumber);
    return DeviceForPortPath(path.c_str(), device, sizeof device) ? device : "";
}
