#include "link/port_names.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";

// Reads "COM<decimal>" exactly; the number must be 1 or more without leading zeros, as the
// program itself writes it.
bool ParseComName(const char* name, int* number) {
    if (strncasecmp(name, "COM", 3) != 0) return false;
    const char* digits = name + 3;
    if (!std::isdigit(static_cast<unsigned char>(digits[0])) || digits[0] == '0') return false;
    long value = 0;
    for (const char* p = digits; *p; ++p) {
        if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
        value = value * 10 + (*p - '0');
        if (value > 100000) return false;
    }
    *number = static_cast<int>(value);
    return true;
}

}  // namespace

bool DeviceForPortPath(const char* path, char* device, size_t deviceSize) {
    if (deviceSize == 0) return false;
    device[0] = '\0';
    const size_t prefixLength = sizeof kDevicePrefix - 1;
    if (std::strncmp(path, kDevicePrefix, prefixLength) != 0) {
        return std::snprintf(device, deviceSize, "%s", path) < static_cast<int>(deviceSize);
    }
    int n = 0;
    if (!ParseComName(path + prefixLength, &n)) return false;

    const char* dir = std::getenv("VESMARIN_PORTS");
    int written = -1;
    if (dir != nullptr && dir[0] != '\0') {
        written = std::snprintf(device, deviceSize, "%s/com%d", dir, n);
    } else if (n <= 32) {
        written = std::snprintf(device, deviceSize, "/dev/ttyS%d", n - 1);
    } else if (n <= 64) {
        written = std::snprintf(device, deviceSize, "/dev/ttyUSB%d", n - 33);
    } else if (n <= 96) {
        written = std::snprintf(device, deviceSize, "/dev/ttyACM%d", n - 65);
    }
    if (written < 0 || written >= static_cast<int>(deviceSize)) {
        device[0] = '\0';
        return false;
    }
    return true;
}
