#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/serial_devices.h"

namespace {

// The number after `prefix` when `name` is exactly prefix and digits; -1 otherwise.
int NumberAfter(const std::string& name, const char* prefix) {
    const size_t length = std::strlen(prefix);
    if (name.compare(0, length, prefix) != 0 || name.size() == length || name.size() > length + 6) return -1;
    int number = 0;
    for (size_t i = length; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

bool IsUsbModemPortName(const std::string& name) {
    return NumberAfter(name, "ttyUSB") >= 0 || NumberAfter(name, "ttyACM") >= 0;
}

// The COMn that the program's fixed map gives a /dev name; 0 when it has none.
int ComForDeviceName(const std::string& name) {
    struct Range {
        const char* prefix;
        int firstCom;
    };
    static const Range kRanges[] = {{"ttyS", 1}, {"ttyUSB", 33}, {"ttyACM", 65}};
    for (const auto& range : kRanges) {
        const int n = NumberAfter(name, range.prefix);
        if (n >= 0) return n < 32 ? range.firstCom + n : 0;
    }
    return 0;
}

// The kernel makes ttyS nodes whether or not a UART is there; sysfs says type 0 for none.
bool HasUart(const std::string& name) {
    const std::string typePath = "/sys/class/tty/" + name + "/type";
    FILE* file = std::fopen(typePath.c_str(), "r");
    if (file == nullptr) return true;   // no sysfs to ask: do not hide the device
    int type = -1;
    const int read = std::fscanf(file, "%d", &type);
    std::fclose(file);
    return read != 1 || type != 0;
}

std::vector<std::string> DirectoryNames(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* handle = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(handle)) names.emplace_back(entry->d_name);
        closedir(handle);
    }
    return names;
}

std::vector<SerialDevice> DevDevices() {
    std::vector<SerialDevice> devices;
    for (const auto& name : DirectoryNames("/dev")) {
        const bool usb = IsUsbModemPortName(name);
        if (!usb && (NumberAfter(name, "ttyS") < 0 || !HasUart(name))) continue;
        SerialDevice device;
        device.path = "/dev/" + name;
        device.comNumber = ComForDeviceName(name);
        device.usbModemPort = usb;
        device.accessible = access(device.path.c_str(), R_OK | W_OK) == 0;
        devices.push_back(device);
    }
    return devices;
}

// The comN entries of the directory that VESMARIN_PORTS names; a link's target decides
// whether it is a USB modem port.
std::vector<SerialDevice> PortsDirDevices(const std::string& dir) {
    std::vector<SerialDevice> devices;
    for (const auto& name : DirectoryNames(dir)) {
        const int n = NumberAfter(name, "com");
        if (n <= 0) continue;
        SerialDevice device;
        device.path = dir + "/" + name;
        device.comNumber = n;
        char target[PATH_MAX];
        if (realpath(device.path.c_str(), target) != nullptr) {
            device.target = target;
            const char* slash = std::strrchr(target, '/');
            device.usbModemPort = IsUsbModemPortName(slash ? slash + 1 : target);
        }
        device.accessible = access(device.path.c_str(), R_OK | W_OK) == 0;
        devices.push_back(device);
    }
    return devices;
}

}  // namespace

std::vector<SerialDevice> ListSerialDevices(bool* surveyed) {
    *surveyed = true;
    const char* portsDir = std::getenv("VESMARIN_PORTS");
    std::vector<SerialDevice> devices =
        (portsDir != nullptr && portsDir[0] != '\0') ? PortsDirDevices(portsDir) : DevDevices();
    std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        // Devices without a COM name go last.
        const int comA = a.comNumber == 0 ? INT_MAX : a.comNumber;
        const int comB = b.comNumber == 0 ? INT_MAX : b.comNumber;
        return comA != comB ? comA < comB : a.path < b.path;
    });
    return devices;
}
