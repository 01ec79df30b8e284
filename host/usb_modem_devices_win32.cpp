#include "host/usb_modem_devices.h"

// Windows names no sysfs; a scan there has tried every COM port the system lists already.
std::vector<UsbDevice> ListUsbModemDevices(bool* surveyed) {
    *surveyed = false;
    return {};
}
