#include "host/windows_usb_nodes.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "host/id_text.h"
#include "host/modem_ports.h"

namespace {

// Device Manager's codes for an interface that has no driver: none was found for it (28), or it
// was never set up (1).
constexpr unsigned kProblemNotConfigured = 1;
constexpr unsigned kProblemFailedInstall = 28;

// The hex digits after "KEY_" in an id's hardware part ("USB\VID_F1E5&PID_9001&MI_02\serial"),
// lowercased; "" when the field is absent or not `digits` hex digits. The part after the second
// backslash is the instance's own and may hold anything.
std::string IdField(const std::string& id, const char* key, size_t digits) {
    const std::string upper = AsciiUpper(id);
    const size_t first = upper.find('\\');
    if (first == std::string::npos) return "";
    const std::string head = upper.substr(0, upper.find('\\', first + 1));
    const std::string needle = std::string(key) + "_";
    for (size_t at = head.find(needle); at != std::string::npos; at = head.find(needle, at + 1)) {
        if (at == 0 || (head[at - 1] != '\\' && head[at - 1] != '&')) continue;
        const std::string value = head.substr(at + needle.size(), digits);
        const size_t end = at + needle.size() + digits;
        const bool whole = end == head.size() || head[end] == '&';
        if (whole && IsHexDigits(value, digits)) {
            return AsciiLower(value);
        }
    }
    return "";
}

bool IsUsbNode(const WindowsDeviceNode& node) { return AsciiUpper(node.instanceId).compare(0, 4, "USB\\") == 0; }

// Class, subclass and protocol from the fullest "USB\Class_ff&SubClass_02&Prot_01" among the
// compatible ids; false when none names a class.
bool ClassOf(const std::vector<std::string>& compatibleIds, UsbInterface* interface) {
    int best = 0;
    for (const auto& id : compatibleIds) {
        const std::string c = IdField(id, "CLASS", 2);
        if (c.empty()) continue;
        const std::string sub = IdField(id, "SUBCLASS", 2), prot = IdField(id, "PROT", 2);
        const int fields = 1 + !sub.empty() + !prot.empty();
        if (fields <= best) continue;
        best = fields;
        interface->classCode = c;
        interface->subclass = sub.empty() ? "00" : sub;
        interface->protocol = prot.empty() ? "00" : prot;
    }
    return best > 0;
}

bool DriverInstalled(const WindowsDeviceNode& node) {
    return !node.service.empty() && node.problem != kProblemFailedInstall && node.problem != kProblemNotConfigured;
}

UsbInterface InterfaceOf(const WindowsDeviceNode& node, const std::string& number) {
    UsbInterface interface;
    interface.number = number;
    ClassOf(node.compatibleIds, &interface);
    interface.endpoints = -1;  // Windows does not say without a driver to ask
    if (DriverInstalled(node)) interface.driver = node.service;
    return interface;
}

struct Gathered {
    UsbDevice device;
    const WindowsDeviceNode* own = nullptr;  // the device's node, when listed
    // What Device Manager calls its unknown device: the name of its first interface without a
    // driver, which the stick reports itself.
    std::string driverlessNumber, driverlessName;
};

}  // namespace

std::vector<UsbDevice> UsbDevicesFromWindowsNodes(const std::vector<WindowsDeviceNode>& nodes) {
    std::map<std::string, Gathered> devices;  // by upper-case instance id, which Windows compares so
    auto deviceAt = [&](const std::string& instanceId, const std::string& vid, const std::string& pid) -> Gathered& {
        Gathered& gathered = devices[AsciiUpper(instanceId)];
        if (gathered.device.usbPath.empty()) {
            gathered.device.usbPath = instanceId;
            gathered.device.vendorId = vid;
            gathered.device.productId = pid;
            gathered.device.listing = UsbListing::WindowsDevices;
        }
        return gathered;
    };
    for (const auto& node : nodes) {
        const std::string vid = IdField(node.instanceId, "VID", 4), pid = IdField(node.instanceId, "PID", 4);
        if (!IsUsbNode(node) || vid.empty() || pid.empty()) continue;
        const std::string number = IdField(node.instanceId, "MI", 2);
        if (number.empty()) {
            deviceAt(node.instanceId, vid, pid).own = &node;
            continue;
        }
        // An interface whose device is not listed is kept under its parent's id all the same.
        Gathered& gathered = deviceAt(node.parentId.empty() ? node.instanceId : node.parentId, vid, pid);
        gathered.device.interfaces.push_back(InterfaceOf(node, number));
        const bool first = gathered.driverlessNumber.empty() || NaturalLess(number, gathered.driverlessNumber);
        if (!DriverInstalled(node) && first) {
            gathered.driverlessNumber = number;
            gathered.driverlessName = node.description;
        }
    }

    std::vector<UsbDevice> found;
    for (auto& entry : devices) {
        Gathered& gathered = entry.second;
        UsbDevice& device = gathered.device;
        if (device.interfaces.empty() && gathered.own != nullptr) {
            // A device of one function: its own node is its only interface, when it names a class
            // (a composite device's parent names none).
            UsbInterface single = InterfaceOf(*gathered.own, "00");
            if (!single.classCode.empty() && single.classCode != "00") device.interfaces.push_back(single);
        }
        device.product = !gathered.driverlessName.empty() ? gathered.driverlessName
                         : gathered.own != nullptr        ? gathered.own->description
                                                          : "";
        std::stable_sort(device.interfaces.begin(), device.interfaces.end(),
                         [](const UsbInterface& a, const UsbInterface& b) { return NaturalLess(a.number, b.number); });
        if (ModeOf(device) != UsbMode::None) found.push_back(std::move(device));
    }
    std::sort(found.begin(), found.end(),
              [](const UsbDevice& a, const UsbDevice& b) { return NaturalLess(a.usbPath, b.usbPath); });
    return found;
}
