#include <glob.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "host/device_identity.h"
#include "host/modem_ports.h"
#include "host/serial_devices.h"

namespace {

bool HasGlob(const std::string& text) { return text.find_first_of("*?[") != std::string::npos; }

std::vector<std::string> Expand(const std::string& pattern) {
    std::vector<std::string> paths;
    glob_t found{};
    if (glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i) paths.emplace_back(found.gl_pathv[i]);
    }
    globfree(&found);
    return paths;
}

// The named ports, globs expanded; a by-id glob is also looked for under $VESMARIN_SYSFS_ROOT,
// where the tests keep their made-up /dev/serial/by-id.
std::vector<CandidatePort> NamedPorts(const std::vector<std::string>& names) {
    const char* root = std::getenv("VESMARIN_SYSFS_ROOT");
    std::vector<CandidatePort> ports;
    for (const auto& name : names) {
        if (!HasGlob(name)) {
            ports.push_back({name, 0, ""});
            continue;
        }
        const bool underRoot = root != nullptr && root[0] != '\0' && name.compare(0, 5, "/dev/") == 0;
        const std::vector<std::string> paths = Expand(underRoot ? root + name : name);
        for (const auto& path : paths) ports.push_back({path, 0, ""});
    }
    return ports;
}

std::vector<CandidatePort> FoundPorts() {
    bool surveyed = false;
    std::vector<CandidatePort> ports;
    for (const auto& device : ListSerialDevices(&surveyed)) {
        if (device.usbModemPort || !device.target.empty()) ports.push_back({device.path, device.comNumber, ""});
    }
    return ports;
}

// The by-id link as a user writes it, without the made-up tree's root.
std::string UserByIdLink(const std::string& link) {
    const char* root = std::getenv("VESMARIN_SYSFS_ROOT");
    const std::string prefix = root != nullptr ? root : "";
    if (!prefix.empty() && link.compare(0, prefix.size(), prefix) == 0) return link.substr(prefix.size());
    return link;
}

bool Excluded(const std::vector<std::string>& patterns, const CandidatePort& port, const DeviceIdentity& identity) {
    for (const auto& pattern : patterns) {
        for (const std::string* text : {&port.path, &identity.device, &identity.byIdLink}) {
            if (!text->empty() && PortPatternMatches(pattern, *text)) return true;
        }
        if (!identity.byIdLink.empty() && PortPatternMatches(pattern, UserByIdLink(identity.byIdLink))) return true;
    }
    return false;
}

bool IsAcm(const std::string& device) { return device.find("/ttyACM") != std::string::npos; }

}  // namespace

std::vector<ModemPorts> FindModemPorts(const PortChoice& choice) {
    const bool named = !choice.ports.empty();
    struct Group {
        ModemPorts modem;
        bool excluded = false;
        int firstCom = 0;
        std::string firstPath;
    };
    std::map<std::string, Group> groups;
    std::vector<std::string> seenDevices;
    for (auto port : named ? NamedPorts(choice.ports) : FoundPorts()) {
        DeviceIdentity identity;
        const bool exists = IdentifyDevice(port.path, &identity);
        if (exists) {
            // One device named twice (a by-id link and its ttyUSB) is one port.
            if (std::find(seenDevices.begin(), seenDevices.end(), identity.device) != seenDevices.end()) continue;
            seenDevices.push_back(identity.device);
        }
        // A ttyACM outside USB may be a board that resets when opened: never probed unasked.
        if (!named && IsAcm(identity.device) && !identity.usb) continue;
        port.interfaceNumber = identity.interfaceNumber;
        const std::string key = identity.usb ? "usb:" + identity.usbPath : "port:" + port.path;
        Group& group = groups[key];
        group.modem.usbPath = identity.usb ? identity.usbPath : "";
        if (Excluded(choice.exclude, port, identity)) group.excluded = true;
        if (group.modem.ports.empty()) {
            group.firstCom = port.comNumber;
            group.firstPath = port.path;
        }
        group.modem.ports.push_back(port);
    }
    std::vector<Group> kept;
    for (auto& entry : groups) {
        if (entry.second.excluded) continue;
        auto& ports = entry.second.modem.ports;
        std::stable_sort(ports.begin(), ports.end(), [](const CandidatePort& a, const CandidatePort& b) {
            if (a.interfaceNumber != b.interfaceNumber) return NaturalLess(a.interfaceNumber, b.interfaceNumber);
            return NaturalLess(a.path, b.path);
        });
        kept.push_back(entry.second);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Group& a, const Group& b) {
        const bool usbA = !a.modem.usbPath.empty(), usbB = !b.modem.usbPath.empty();
        if (usbA != usbB) return usbA;
        if (usbA) return NaturalLess(a.modem.usbPath, b.modem.usbPath);
        const int comA = a.firstCom == 0 ? 1 << 30 : a.firstCom, comB = b.firstCom == 0 ? 1 << 30 : b.firstCom;
        if (comA != comB) return comA < comB;
        return NaturalLess(a.firstPath, b.firstPath);
    });
    std::vector<ModemPorts> modems;
    for (auto& group : kept) modems.push_back(group.modem);
    return modems;
}

bool ComNamesAreTheSystems() { return false; }
