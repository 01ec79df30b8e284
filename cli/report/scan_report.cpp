#include "cli/report/scan_report.h"

#include "fleet/identity_json.h"
#include "host/modem_identity.h"
#include "host/modem_ports.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "common/cp1251.h"
#include "common/result_codes.h"
#include "link/transact.h"

namespace {

constexpr char kUsbHint[] =
    "None of them is a USB modem port (ttyUSB*, ttyACM*): a stick that shows up only as a "
    "CD drive or a USB disk is still in its storage mode and needs mode switching before its "
    "modem ports appear.";
constexpr char kNoDeviceHint[] =
    "A stick that shows up only as a CD drive or a USB disk is still in its storage mode and "
    "needs mode switching before its modem ports appear.";
constexpr char kSilentUsbAdvice[] =
    "The USB modem ports among them did not answer as a modem does ('scan --verbose' tells "
    "what each port did).";

// What the scan did not learn is there as null, never left out or given as "".
nlohmann::ordered_json Null() { return nlohmann::ordered_json(nullptr); }
nlohmann::ordered_json OrNull(const std::string& text) { return text.empty() ? Null() : nlohmann::ordered_json(text); }

std::string ComName(int portNumber) { return "COM" + std::to_string(portNumber); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The words for one port that was there; 1251.
std::string Describe(const PortResult& result) {
    const std::string limit = std::to_string(kProbeTimeLimitMs) + " ms";
    switch (result.outcome) {
    case ProbeOutcome::NoDevice:
        return "absent";
    case ProbeOutcome::OpenFailed:
        return "could not open: " + result.openError;
    case ProbeOutcome::Silent:
        if (result.echoOffCount == 0) return "opened but silent: no reply to ATE0 or AT+CGMM within " + limit;
        return "opened; answered ATE0 but not AT+CGMM within " + limit;
    case ProbeOutcome::NotListed:
        return "answered AT+CGMM with a reply that begins with a 0 byte: not listed";
    case ProbeOutcome::Listed:
        if (const char* why = WhyNoModel(result.modelText)) {
            return std::string("answered without a model (") + why + "), listed as " + Quoted(result.entry);
        }
        return "modem: " + Quoted(result.entry);
    }
    return "";
}

std::string Line(const std::string& ports, uint32_t elapsedMs, const std::string& words) {
    char head[48];
    std::snprintf(head, sizeof head, "%-13s %6lu ms  ", ports.c_str(), static_cast<unsigned long>(elapsedMs));
    return head + words + "\n";
}

const char* ResultName(const PortResult& result) {
    switch (result.outcome) {
    case ProbeOutcome::NoDevice:
        return "absent";
    case ProbeOutcome::OpenFailed:
        return "cannot-open";
    case ProbeOutcome::Silent:
        return "silent";
    case ProbeOutcome::NotListed:
        return "not-listed";
    case ProbeOutcome::Listed:
        return WhyNoModel(result.modelText) ? "no-model" : "modem";
    }
    return "";
}

// Runs of consecutive absent port numbers, with their time in all.
struct AbsentRun {
    int first;
    int last;
    uint32_t elapsedMs;
};

// Calls `present` for each port that was there and `absent` for each run of ports that were
// not, in port order.
template <typename Present, typename Absent>
void Walk(const std::vector<PortResult>& results, Present present, Absent absent) {
    for (size_t i = 0; i < results.size();) {
        if (results[i].outcome != ProbeOutcome::NoDevice) {
            present(results[i]);
            ++i;
            continue;
        }
        AbsentRun run{results[i].portNumber, results[i].portNumber, results[i].elapsedMs};
        for (++i; i < results.size() && results[i].outcome == ProbeOutcome::NoDevice &&
                  results[i].portNumber == run.last + 1;
             ++i) {
            run.last = results[i].portNumber;
            run.elapsedMs += results[i].elapsedMs;
        }
        absent(run);
    }
}

const char* PortStateName(UsbPortState state) {
    switch (state) {
    case UsbPortState::Answered: return "answered";
    case UsbPortState::Busy: return "busy";
    case UsbPortState::Denied: return "denied";
    case UsbPortState::Silent: return "silent";
    case UsbPortState::Failed: return "failed";
    case UsbPortState::NotTried: break;
    }
    return "not_tried";
}

bool Mentions(const std::string& text, const char* words) { return text.find(words) != std::string::npos; }

// The port layer's words (link/serial_port_*) tell a holder from a refusal.
UsbPortState PortStateOf(const PortResult& result) {
    switch (result.outcome) {
    case ProbeOutcome::Listed:
        return UsbPortState::Answered;
    case ProbeOutcome::Silent:
    case ProbeOutcome::NotListed:
        return UsbPortState::Silent;
    case ProbeOutcome::OpenFailed:
        if (Mentions(result.openError, " in use by ") || Mentions(result.openError, " is locked by ")) {
            return UsbPortState::Busy;
        }
        if (Mentions(result.openError, "Permission denied") || Mentions(result.openError, "Operation not permitted") ||
            Mentions(result.openError, "Access is denied")) {
            return UsbPortState::Denied;
        }
        return UsbPortState::Failed;
    case ProbeOutcome::NoDevice:
        break;
    }
    return UsbPortState::NotTried;
}

const PortResult* ProbeOfPort(const std::vector<PortResult>& results, const UsbDevice& device,
                              const UsbInterface& interface, const UsbPort& port) {
    for (const auto& result : results) {
        if (result.outcome == ProbeOutcome::NoDevice || !result.identified) continue;
        const DeviceIdentity& identity = result.device;
        if (identity.device == port.device ||
            (identity.usb && identity.usbPath == device.usbPath && identity.interfaceNumber == interface.number)) {
            return &result;
        }
    }
    return nullptr;
}

nlohmann::ordered_json Strings(const std::vector<std::string>& items) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& item : items) list.push_back(item);
    return list;
}

nlohmann::ordered_json UsbDeviceJson(const UsbDevice& device) {
    nlohmann::ordered_json ports = nlohmann::ordered_json::array();
    nlohmann::ordered_json interfaces = nlohmann::ordered_json::array();
    std::vector<std::string> nets, controls;
    for (const auto& interface : device.interfaces) {
        for (const auto& port : interface.ports) {
            ports.push_back({{"device", port.device},
                             {"interface", OrNull(interface.number)},
                             {"state", PortStateName(port.state)},
                             {"reason", OrNull(port.reason)}});
        }
        nets.insert(nets.end(), interface.netInterfaces.begin(), interface.netInterfaces.end());
        controls.insert(controls.end(), interface.controlDevices.begin(), interface.controlDevices.end());
        interfaces.push_back({{"number", OrNull(interface.number)},
                              {"class", interface.classCode + "/" + interface.subclass + "/" + interface.protocol},
                              {"driver", OrNull(interface.driver)}});
    }
    nlohmann::ordered_json json;
    json["usb_path"] = device.usbPath;
    json["vendor_id"] = device.vendorId;
    json["product_id"] = device.productId;
    json["manufacturer"] = OrNull(device.manufacturer);
    json["product"] = OrNull(device.product);
    json["mode"] = UsbModeName(ModeOf(device));
    json["ports"] = ports;
    json["net_interfaces"] = Strings(nets);
    json["control_devices"] = Strings(controls);
    json["known_storage_id"] = device.knownStorageId ? nlohmann::ordered_json(*device.knownStorageId) : Null();
    json["gateway"] = OrNull(device.gateway);
    json["advice"] = UsbAdvice(device);
    json["interfaces"] = interfaces;
    return json;
}

// "1-2 f1e5:1f01 Zentrawave ZW Stick", 1251: every field as the system's text.
std::string UsbDeviceHead(const UsbDevice& device) {
    std::string head = Utf8ToCp1251Shown(device.usbPath) + " " + device.vendorId + ":" + device.productId;
    if (!device.manufacturer.empty()) head += " " + Utf8ToCp1251Shown(device.manufacturer);
    if (!device.product.empty()) head += " " + Utf8ToCp1251Shown(device.product);
    return head;
}

// "interface 00 ff/ff/ff, driver option: /dev/ttyUSB0", 1251.
std::string InterfaceLine(const UsbInterface& interface) {
    std::vector<std::string> below;
    for (const auto& port : interface.ports) below.push_back(port.device);
    for (const auto& net : interface.netInterfaces) below.push_back("network interface " + net);
    for (const auto& control : interface.controlDevices) below.push_back(control);
    for (const auto& drive : interface.cdDrives) below.push_back("CD drive " + drive);
    if (interface.cdRom && interface.cdDrives.empty()) below.push_back("a CD drive");
    std::string line = "interface " + interface.number + " " + interface.classCode + "/" + interface.subclass + "/" +
                       interface.protocol + ", ";
    line += interface.driver.empty() ? "no driver" : "driver " + interface.driver;
    for (size_t i = 0; i < below.size(); ++i) line += (i == 0 ? ": " : ", ") + below[i];
    return Utf8ToCp1251Shown(line);
}

}  // namespace

PortResult ResultFromReport(const PortProbeReport& report) {
    PortResult result;
    result.portNumber = report.portNumber;
    result.outcome = report.outcome;
    result.elapsedMs = report.elapsedMs;
    result.echoOffCount = report.echoOffCount;
    result.modelCount = report.modelCount;
    if (report.openError) result.openError = report.openError;
    if (report.outcome == ProbeOutcome::Listed && report.slot >= 0 && report.slot < ModemList.count) {
        result.modelText.assign(ModemList.modelTexts[report.slot], strnlen(ModemList.modelTexts[report.slot], kModelTextSize));
        char entry[kPortEntrySize];
        FormatPortEntry(report.slot, entry, sizeof entry);
        result.entry = entry;
    }
    return result;
}

const char* WhyNoModel(const std::string& modelText) {
    if (modelText.empty()) return "the first line is empty or OK";
    if (IsFinalResultCode(modelText)) return "an error reply";
    if (modelText == "AT+CGMM") return "it echoed the command: ATE0 did not switch its echo off";
    return nullptr;
}

std::string ReportLines(const std::vector<PortResult>& results) {
    std::string lines;
    Walk(
        results,
        [&](const PortResult& result) {
            lines += Line(ComName(result.portNumber), result.elapsedMs, Describe(result));
            if (result.identified) lines += DeviceLine(result.device);
        },
        [&](const AbsentRun& run) {
            const std::string ports =
                run.first == run.last ? ComName(run.first) : ComName(run.first) + "-" + ComName(run.last);
            lines += Line(ports, run.elapsedMs, "absent");
        });
    return lines;
}

std::string ReportJson(const std::vector<PortResult>& results, const std::vector<SerialDevice>& devices,
                       bool surveyed, const std::vector<UsbDevice>& usbDevices) {
    nlohmann::ordered_json ports = nlohmann::ordered_json::array();
    nlohmann::ordered_json absent = nlohmann::ordered_json::array();
    nlohmann::ordered_json entries = nlohmann::ordered_json::array();
    Walk(
        results,
        [&](const PortResult& result) {
            const bool listed = result.outcome == ProbeOutcome::Listed;
            const bool opened = result.outcome != ProbeOutcome::OpenFailed;
            nlohmann::ordered_json port;
            port["port"] = ComName(result.portNumber);
            port["result"] = ResultName(result);
            port["ms"] = result.elapsedMs;
            port["reason"] = opened ? Null() : nlohmann::ordered_json(Cp1251ToUtf8(result.openError));
            port["echo_off_reply_bytes"] = opened ? nlohmann::ordered_json(result.echoOffCount) : Null();
            port["model_reply_bytes"] = opened ? nlohmann::ordered_json(result.modelCount) : Null();
            port["device"] = result.identified ? DeviceJson(result.device) : Null();
            port["model"] = listed ? nlohmann::ordered_json(Cp1251ToUtf8(result.modelText)) : Null();
            port["entry"] = listed ? nlohmann::ordered_json(Cp1251ToUtf8(result.entry)) : Null();
            // A scan asks no IMEI: the identity is the socket's (USB path, or the COM number on
            // Windows), under the keys info --json and the exporter use.
            port["identity"] = listed ? IdentityJson(IdentityOfPort(
                                            "", result.device, result.identified,
                                            ComNamesAreTheSystems() ? result.portNumber : 0,
                                            result.identified ? result.device.device : ComName(result.portNumber)))
                                      : Null();
            if (listed) entries.push_back(Cp1251ToUtf8(result.entry));
            ports.push_back(port);
        },
        [&](const AbsentRun& run) {
            absent.push_back({{"first", ComName(run.first)}, {"last", ComName(run.last)}, {"ms", run.elapsedMs}});
        });

    nlohmann::ordered_json document;
    document["ports"] = ports;
    document["absent"] = absent;
    document["entries"] = entries;
    // The devices that exist are looked at only when nothing answered, and only where the
    // system lists them: otherwise null, as every value the scan did not learn.
    document["serial_devices"] = Null();
    document["hint"] = Null();
    if (entries.empty() && surveyed) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const auto& device : devices) {
            nlohmann::ordered_json item;
            item["path"] = device.path;
            item["target"] = OrNull(device.target);
            item["port"] = device.comNumber != 0 ? nlohmann::ordered_json(ComName(device.comNumber)) : Null();
            item["usb_modem_port"] = device.usbModemPort;
            item["accessible"] = device.accessible;
            item["device"] = device.identified ? DeviceJson(device.device) : Null();
            list.push_back(item);
        }
        document["serial_devices"] = list;
        document["hint"] = OrNull(ScanHint(devices, usbDevices));
    }
    nlohmann::ordered_json usb = nlohmann::ordered_json::array();
    for (const auto& device : usbDevices) usb.push_back(UsbDeviceJson(device));
    document["usb_devices"] = usb;
    // Device paths are whatever bytes the file system holds; they must not stop the report.
    return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// sysfs texts are the device's bytes, mostly ASCII: the line stays one line of text whatever
// a stick reports, and one odd byte does not cost the characters around it.
std::string DeviceLine(const DeviceIdentity& device) {
    return "    device " + Utf8ToCp1251Shown(IdentityText(device)) + "\n";
}

nlohmann::ordered_json DeviceJson(const DeviceIdentity& device) {
    nlohmann::ordered_json json;
    json["path"] = device.device;
    json["by_id"] = OrNull(device.byIdLink);
    if (device.usb) {
        json["usb"] = {{"vendor_id", OrNull(device.vendorId)},         {"product_id", OrNull(device.productId)},
                       {"manufacturer", OrNull(device.manufacturer)}, {"product", OrNull(device.product)},
                       {"serial", OrNull(device.serial)},             {"interface", OrNull(device.interfaceNumber)}};
    } else {
        json["usb"] = nullptr;
    }
    return json;
}

std::string StorageModeHint(const std::vector<SerialDevice>& devices) {
    if (devices.empty()) return kNoDeviceHint;
    for (const auto& device : devices) {
        if (device.usbModemPort) return "";
    }
    return kUsbHint;
}

std::string NothingFoundAdvice(const std::vector<SerialDevice>& devices, const std::vector<UsbDevice>& usbDevices,
                               bool usbShown) {
    std::string advice;
    if (devices.empty()) {
        advice = "No serial devices exist here.\n";
    } else {
        advice = "Serial devices here:\n";
        for (const auto& device : devices) {
            advice += "  " + Utf8ToCp1251Shown(device.path);
            if (!device.target.empty()) advice += " -> " + Utf8ToCp1251Shown(device.target);
            if (device.comNumber != 0) advice += " (" + ComName(device.comNumber) + ")";
            if (!device.accessible) advice += ": no read and write permission (the dialout group gives it)";
            advice += "\n";
            if (device.identified) advice += DeviceLine(device.device);
        }
    }
    // The USB account says in its place why each device gave no modem.
    if (!usbDevices.empty()) {
        if (usbShown) return advice + "The USB devices listed with the ports say why.\n";
        return advice + UsbDeviceLines(usbDevices, false);
    }
    const std::string hint = StorageModeHint(devices);
    advice += (hint.empty() ? std::string(kSilentUsbAdvice) : hint) + "\n";
    return advice;
}

std::string ScanHint(const std::vector<SerialDevice>& devices, const std::vector<UsbDevice>& usbDevices) {
    if (usbDevices.empty()) return StorageModeHint(devices);
    std::string hint;
    for (const auto& device : usbDevices) {
        if (ModeOf(device) == UsbMode::Serial) continue;
        hint += (hint.empty() ? "" : "\n") + std::string("USB ") + device.usbPath + " " + device.vendorId + ":" +
                device.productId + ": " + UsbAdvice(device);
    }
    return hint;
}

void MarkUsbPorts(const std::vector<PortResult>& results, std::vector<UsbDevice>* usbDevices) {
    for (auto& device : *usbDevices) {
        for (auto& interface : device.interfaces) {
            for (auto& port : interface.ports) {
                const PortResult* result = ProbeOfPort(results, device, interface, port);
                if (result == nullptr) continue;
                port.state = PortStateOf(*result);
                const bool why = port.state == UsbPortState::Busy || port.state == UsbPortState::Failed;
                port.reason = why ? Cp1251ToUtf8(result->openError) : "";
            }
        }
    }
}

std::string UsbDeviceLines(const std::vector<UsbDevice>& usbDevices, bool interfaces) {
    if (usbDevices.empty()) return "";
    std::string lines = "USB devices that are or may be modems:\n";
    for (const auto& device : usbDevices) {
        lines += "  " + UsbDeviceHead(device) + ": " + UsbModeName(ModeOf(device)) + "\n";
        if (interfaces) {
            for (const auto& interface : device.interfaces) lines += "    " + InterfaceLine(interface) + "\n";
        }
        const std::string advice = UsbAdvice(device);
        for (size_t start = 0; start <= advice.size();) {
            const size_t end = std::min(advice.find('\n', start), advice.size());
            lines += "    " + Utf8ToCp1251Shown(advice.substr(start, end - start)) + "\n";
            start = end + 1;
        }
    }
    return lines;
}

std::string UsbDeviceNotice(const UsbDevice& device) {
    return "USB " + UsbDeviceHead(device) + ": " + UsbModeName(ModeOf(device)) +
           ", no AT port ('vesmarin-cli scan --verbose' says why and what to do)";
}
