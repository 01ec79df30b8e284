// What the system says about the device behind a port: where it really is, its stable
// /dev/serial/by-id link, and the USB facts sysfs keeps for it (Linux). These tell which of a
// stick's several ports is the one that answers AT commands.
#pragma once

#include <string>

struct DeviceIdentity {
    std::string device;          // the device the path leads to, links resolved
    std::string byIdLink;        // the /dev/serial/by-id link to it; empty when none
    bool usb = false;            // the facts below were found
    std::string vendorId;        // "12d1": four hex digits as sysfs gives them
    std::string productId;
    std::string manufacturer;    // the strings the device reports; empty when it reports none
    std::string product;
    std::string serial;
    std::string interfaceNumber; // "02", the USB interface the port belongs to
    std::string usbPath;         // "1-2.3": the USB device's sysfs name, bus and socket chain
                                 // (its device path without the ":config.interface" part)
};

// Fills `identity` for a device path (a link such as a by-id one or a $VESMARIN_PORTS entry
// is followed). False where the platform keeps no such facts (Windows), or when the path
// leads nowhere. sysfs and /dev/serial/by-id are looked up under $VESMARIN_SYSFS_ROOT when
// that names a directory, so tests can give a made-up tree.
bool IdentifyDevice(const std::string& path, DeviceIdentity* identity);

// The device path that COM `portNumber` reaches on this platform (see link/port_names.h).
std::string ComDevicePath(int portNumber);

// "/dev/ttyUSB2, USB 12d1:1506 Zentrawave E173 interface 02 serial 0123456789, by-id
// /dev/serial/by-id/usb-..." or "/dev/pts/3, no USB facts (not a USB device)". Bytes from
// sysfs as they are; the caller makes control characters visible.
std::string IdentityText(const DeviceIdentity& identity);
