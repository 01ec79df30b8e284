// Windows lists a USB stick as nodes of its device tree: the device ("USB\VID_F1E5&PID_9001\...")
// and, for a stick of several functions, one node per interface below it ("...&MI_02\..."). An
// interface whose driver is not installed is what Device Manager shows as an unknown device under
// "Other devices". These nodes are turned into the same account Linux gives, so scan, info --all
// and the exporter say what they say on Linux. Kept apart from the SetupAPI calls so that made-up
// node lists test it on every system.
#pragma once

#include <string>
#include <vector>

#include "host/usb_modem_devices.h"

struct WindowsDeviceNode {
    std::string instanceId;                  // "USB\VID_F1E5&PID_9001&MI_02\6&1A2B3C4D&0&0002"
    std::string parentId;                    // the instance id of the node above it
    std::vector<std::string> compatibleIds;  // "USB\Class_ff&SubClass_02&Prot_01", ...
    std::string service;                     // the driver's service ("usbser"); empty without one
    unsigned problem = 0;                    // Device Manager's problem code; 0 for none
    std::string description;                 // UTF-8: what Device Manager names it
};

// The devices with an interface of a modem's classes whose driver is not installed, by instance
// id; the others are left out, as Windows has already offered their COM ports to the scan.
// Interfaces are in interface order; a device of one function is its own interface 00.
std::vector<UsbDevice> UsbDevicesFromWindowsNodes(const std::vector<WindowsDeviceNode>& nodes);
