// The per-port account of a scan (scan --verbose, scan --json): what each port number did and
// how long it took, so a user can see why a modem was not found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <nlohmann/json_fwd.hpp>

#include "host/device_identity.h"
#include "host/serial_devices.h"
#include "host/usb_modem_devices.h"
#include "link/discovery.h"

struct PortResult {
    int portNumber = 0;
    ProbeOutcome outcome = ProbeOutcome::NoDevice;
    uint32_t elapsedMs = 0;
    uint32_t echoOffCount = 0;
    uint32_t modelCount = 0;
    std::string openError;   // the system's words, for OpenFailed
    std::string modelText;   // 1251, for Listed
    std::string entry;       // 1251, for Listed: the port entry the list shows
    bool identified = false; // `device` holds what the system says about the port's device
    DeviceIdentity device;
};

// The device facts as a line of their own under a port's line, and as JSON ("device":
// path, by_id, usb; null for what the system did not say), so the port lines keep their form.
std::string DeviceLine(const DeviceIdentity& device);
nlohmann::ordered_json DeviceJson(const DeviceIdentity& device);

// Copies one probe report, with the model text and entry of a listed port, out of ModemList.
PortResult ResultFromReport(const PortProbeReport& report);

// Why a listed port's first line is no model name; nullptr when it looks like one. An error
// reply, an empty or "OK" line and an echoed AT+CGMM are still listed, as the window does.
const char* WhyNoModel(const std::string& modelText);

// One line per port that opened or failed to open, and one per run of absent port numbers
// ("COM1-COM3"), each with its time; 1251 text with line ends.
std::string ReportLines(const std::vector<PortResult>& results);

// The same account as a JSON document (UTF-8), with the entries found, the USB devices that
// are or may be modems and, when nothing answered, the serial devices that exist and the hint
// below.
std::string ReportJson(const std::vector<PortResult>& results, const std::vector<SerialDevice>& devices,
                       bool surveyed, const std::vector<UsbDevice>& usbDevices = {});

// What to tell a user whose scan found nothing, from the devices that exist, one account for
// each case: no serial device at all, devices of which none is a USB modem port (the stick
// may still be in its storage mode), USB modem ports that did not answer; then one block per
// USB device that is or may be a modem, which says why in its place (or, `usbShown` elsewhere,
// a line that points there). StorageModeHint is the storage-mode sentence for the first two
// cases, empty for the third.
std::string NothingFoundAdvice(const std::vector<SerialDevice>& devices, const std::vector<UsbDevice>& usbDevices = {},
                               bool usbShown = false);
std::string StorageModeHint(const std::vector<SerialDevice>& devices);

// The JSON's "hint", from the USB account: each device's advice that is not about serial ports
// that exist, else (no USB device listed) StorageModeHint; empty for none.
std::string ScanHint(const std::vector<SerialDevice>& devices, const std::vector<UsbDevice>& usbDevices);

// What the probes of a scan tell about each USB port: answered, busy, not permitted, silent,
// failed to open, or not tried (a port is matched by its USB path and interface).
void MarkUsbPorts(const std::vector<PortResult>& results, std::vector<UsbDevice>* usbDevices);

// One block per USB device (path, ids, strings, mode, the advice), and with `interfaces` a line
// per interface (number, class, driver, what hangs below); 1251 text with line ends, "" when
// there is no device.
std::string UsbDeviceLines(const std::vector<UsbDevice>& usbDevices, bool interfaces);

// One line for a device whose mode is not serial, for the readers of every modem (info --all):
// "USB 1-2 f1e5:1f01 Zentrawave ZW Stick: storage, no AT port (...)", 1251.
std::string UsbDeviceNotice(const UsbDevice& device);
