#include "cli/grammar/port_argument.h"

#include <cctype>
#include <cstring>

#include "link/discovery.h"

namespace {

// Reads the decimal COM number of "COMn" at `text` (exactly, to its end). 0 when malformed or
// outside the ports the program tries.
int ComNumber(const std::string& text) {
    if (text.size() < 4 || text.size() > 6) return 0;
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return 0;
    }
    if (text[3] == '0') return 0;
    int n = 0;
    for (size_t i = 3; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
        n = n * 10 + (text[i] - '0');
    }
    return (n >= kFirstPortNumber && n <= kLastPortNumber) ? n : 0;
}

}  // namespace

bool ParsePortArgument(const std::string& text, PortArgument* out, std::string* error) {
    *out = PortArgument{};
    if (int n = ComNumber(text)) {
        out->devicePath = "\\\\.\\COM" + std::to_string(n);
        out->entry = "(COM" + std::to_string(n) + ")";
        out->display = "COM" + std::to_string(n);
        return true;
    }

    // A port entry as the port list shows it: any model text, then " (COMn)".
    const size_t open = text.rfind(" (COM");
    if (open != std::string::npos && text.back() == ')') {
        if (text.size() >= kPortEntrySize) {
            *error = "the port entry is longer than the " + std::to_string(kPortEntrySize - 1) +
                     " characters an entry can have";
            return false;
        }
        const std::string name = text.substr(open + 2, text.size() - open - 3);
        if (ComNumber(name) != 0) {
            char path[kPortEntrySize + 8];
            PortPathFromEntry(text.c_str(), path, sizeof path);
            out->devicePath = path;
            out->entry = text;
            out->display = text;
            return true;
        }
    }

    return ParseDevicePath(text, out, error);
}
