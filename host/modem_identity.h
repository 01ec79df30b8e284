// The name a modem keeps across re-plugs and reboots, when ttyUSB numbers move: its IMEI where
// it gives one (it follows the stick), else the USB path (it follows the socket), on Windows
// the COM number, and for a device with neither (a pty) its device path.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/device_identity.h"

struct ModemIdentity {
    std::string id;       // "imei:353456789012345", "usb:1-2.3", "com:5" or "device:/dev/pts/3"
    std::string imei;     // empty when the modem gave none that looks like one
    std::string usbPath;  // empty when the port is not on USB (or on Windows)
    std::string byId;     // the /dev/serial/by-id link of the port read; empty when none
    std::string device;   // the device read, links resolved (or the port as given)
};

// True for 14 to 17 decimal digits, as +CGSN and the IMEI row give it (with or without the
// check digit or software version). Anything else ("ERROR", an empty row) is no IMEI.
bool LooksLikeImei(const std::string& text);

// The rule above. `comNumber` counts only where COM names are the system's own (Windows): pass
// 0 elsewhere.
ModemIdentity IdentifyModem(const std::string& imeiRow, const std::string& usbPath, const std::string& byId,
                            int comNumber, const std::string& device);

// The identity of the modem behind a port, from its IMEI row and what the system says about
// the port's device (`identified` false: nothing known). `comNumber` counts only on Windows.
ModemIdentity IdentityOfPort(const std::string& imeiRow, const DeviceIdentity& device, bool identified,
                             int comNumber, const std::string& path);

// Cloned or badly flashed sticks give the same IMEI. Among modems found together, each one whose
// IMEI another also gives is named by the IMEI and where it sits, "imei:<IMEI>@<USB path>" (else
// "@<device path>"), so that none hides another; every other modem with an IMEI keeps
// "imei:<IMEI>". Ids are worked out afresh from the IMEI each time, so a modem whose twin has
// gone is named by its IMEI alone again. Returns how many modems share an IMEI.
size_t TellApartSharedImeis(std::vector<ModemIdentity>* identities);
