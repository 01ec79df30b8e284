// The serial devices that exist on this machine, for advice when a scan finds no modem.
#pragma once

#include <string>
#include <vector>

#include "host/device_identity.h"

// A serial device that exists on this machine.
struct SerialDevice {
    std::string path;        // as the user would give it
    std::string target;      // where a link in $VESMARIN_PORTS leads; empty otherwise
    int comNumber = 0;       // the COMn that reaches it; 0 when none does
    bool usbModemPort = false;
    bool accessible = true;  // read and write allowed to this user
    bool identified = false;
    DeviceIdentity device;
};

// Linux: the ttyS (with a UART behind them), ttyUSB and ttyACM devices under /dev, or the
// comN entries of $VESMARIN_PORTS when that names a directory, in COM order. Windows: the
// scan has already tried every name the system offers, so the list is empty and `surveyed`
// is false.
std::vector<SerialDevice> ListSerialDevices(bool* surveyed);
