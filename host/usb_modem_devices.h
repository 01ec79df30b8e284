// The USB devices of this machine that are or may be modems, and what each one's state tells a
// user whose scan found no modem: a stick still in storage mode, one that works as a network
// card, a module that speaks QMI or MBIM, one whose serial interfaces no driver took, ports that
// exist but did not answer. Everything here reads; nothing switches, binds or writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the scan learnt about one serial port of a device (the reading leaves it NotTried).
enum class UsbPortState { NotTried, Answered, Busy, Denied, Silent, Failed };

struct UsbPort {
    std::string device;  // "/dev/ttyUSB2"
    UsbPortState state = UsbPortState::NotTried;
    std::string reason;  // UTF-8: the system's words for Busy and Failed ("... is in use by ...")
};

struct UsbInterface {
    std::string number;                         // "02"
    std::string classCode, subclass, protocol;  // two lowercase hex digits each
    int endpoints = 0;                          // -1: the system does not say
    std::string driver;                       // "option"; empty when no driver has taken it
    std::vector<UsbPort> ports;               // ttyUSB and ttyACM below it
    std::vector<std::string> netInterfaces;   // "wwan0"
    std::vector<std::string> controlDevices;  // "/dev/cdc-wdm0"
    bool cdRom = false;                       // a SCSI CD-ROM (type 5) behind it
    std::vector<std::string> cdDrives;        // "sr0"
};

// Where the account comes from: sysfs shows every interface with what its driver made, Windows
// shows here only the interfaces it has no driver for, and its advice is another.
enum class UsbListing { Sysfs, WindowsDevices };

struct UsbDevice {
    UsbListing listing = UsbListing::Sysfs;
    std::string usbPath;                   // "1-2.3"; on Windows the device's instance id
    std::string vendorId, productId;       // four lowercase hex digits each
    std::string manufacturer, product;     // the device's strings, bytes as sysfs gives them
    std::vector<UsbInterface> interfaces;  // in interface order
    // Whether the mode-switch rules of usb-modeswitch-data name this id; nullopt when they are
    // not installed.
    std::optional<bool> knownStorageId;
    std::string gateway;  // "192.168.8.1": a gateway on one of its network
                          // interfaces in the routing table; empty if none
};

enum class UsbMode { None, Serial, Unbound, Qmi, Mbim, Network, Storage };

// Every mode that applies, most useful first: an AT port, or the step that gives one, before a
// control device, a network card or a CD drive. Empty for a device that is no modem (a hub, a
// keyboard, a Bluetooth dongle, a USB disk).
std::vector<UsbMode> UsbModes(const UsbDevice& device);
UsbMode ModeOf(const UsbDevice& device);

// "serial", "unbound", "qmi", "mbim", "network", "storage"; "" for None.
const char* UsbModeName(UsbMode mode);

// What the user sees and may do, in English and UTF-8: the advice of the device's mode, then
// the other modes it shows. Several lines where commands are to be copied; no final line end.
std::string UsbAdvice(const UsbDevice& device);

// The vendor-specific interfaces with endpoints that no driver has taken: where a stick's AT
// ports are when the kernel's serial driver does not know its id. From Windows, every
// interface of a modem's classes that has no driver installed (Windows names no endpoints).
std::vector<const UsbInterface*> DriverlessVendorInterfaces(const UsbDevice& device);

// Linux: the devices under $VESMARIN_SYSFS_ROOT/sys/bus/usb/devices (a directory standing for
// /, so tests give a made-up tree) that have a mode, by USB path, with the mode-switch rules
// and the routing table read under the same root. Windows: the USB devices with an interface
// that has no driver installed (SetupAPI); `surveyed` false when the system gave no list.
std::vector<UsbDevice> ListUsbModemDevices(bool* surveyed);
