#include "host/device_identity.h"

// Windows names its ports COMn and keeps no sysfs; the scan's entries say all it knows.
bool IdentifyDevice(const std::string&, DeviceIdentity* identity) {
    *identity = DeviceIdentity{};
    return false;
}

std::string ComDevicePath(int portNumber) { return "\\\\.\\COM" + std::to_string(portNumber); }
