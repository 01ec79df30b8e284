#include <windows.h>

#include <cctype>

#include "host/modem_ports.h"

namespace {

bool MatchesAny(const std::vector<std::string>& patterns, const std::string& name) {
    std::string upper = name;
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (auto pattern : patterns) {
        for (auto& c : pattern) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (PortPatternMatches(pattern, upper) || PortPatternMatches(pattern, "\\\\.\\" + upper)) return true;
    }
    return false;
}

// A port is there unless opening it says there is no such device, as the scan finds out; the
// DOS device list is no help (Wine leaves out the ports linked into its dosdevices). An open
// of an absent name fails at once, so the 254 names cost next to nothing; the modems found
// are then probed in parallel, each by its own process.
bool OpensAsComPort(const std::string& name) {
    const std::string path = "\\\\.\\" + name;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::vector<ModemPorts> FindModemPorts(const PortChoice& choice) {
    std::vector<ModemPorts> modems;
    for (int n = 1; n <= 254; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (!choice.ports.empty() ? !MatchesAny(choice.ports, name) : !OpensAsComPort(name)) {
            continue;
        }
        if (MatchesAny(choice.exclude, name)) continue;
        ModemPorts modem;
        modem.ports.push_back({"\\\\.\\" + name, n, ""});
        modems.push_back(modem);
    }
    return modems;
}

bool ComNamesAreTheSystems() { return true; }
