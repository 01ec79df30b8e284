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

// The system's own list of DOS device names: a COM name it lacks need not be opened at all.
bool ComNameExists(const std::string& name) {
    char target[512];
    return QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

}  // namespace

std::vector<ModemPorts> FindModemPorts(const PortChoice& choice) {
    std::vector<ModemPorts> modems;
    for (int n = 1; n <= 254; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (!choice.ports.empty() ? !MatchesAny(choice.ports, name) : !ComNameExists(name)) continue;
        if (MatchesAny(choice.exclude, name)) continue;
        ModemPorts modem;
        modem.ports.push_back({"\\\\.\\" + name, n, ""});
        modems.push_back(modem);
    }
    return modems;
}

bool ComNamesAreTheSystems() { return true; }
