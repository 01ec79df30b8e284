#include "host/usb_modem_hints.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "host/id_text.h"

namespace {

// The value of `ATTR{key}=="value"` or `ATTRS{key}=="value"` on a rule line; empty when absent.
std::string RuleValue(const std::string& line, const std::string& key) {
    const std::string needle = "{" + key + "}==\"";
    for (size_t at = line.find(needle); at != std::string::npos; at = line.find(needle, at + 1)) {
        const bool attr = at >= 4 && line.compare(at - 4, 4, "ATTR") == 0;
        const bool attrs = at >= 5 && line.compare(at - 5, 5, "ATTRS") == 0;
        if (!attr && !attrs) continue;
        const size_t start = at + needle.size();
        const size_t end = line.find('"', start);
        if (end != std::string::npos) return AsciiLower(line.substr(start, end - start));
    }
    return "";
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// /proc/net/route gives addresses as the hex of a 32-bit word in the host's byte order, whose
// bytes in memory are the address in network order.
bool RouteAddress(const std::string& hex, std::string* address) {
    if (!IsHexDigits(hex, 8)) return false;
    const uint32_t word = static_cast<uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));
    unsigned char bytes[4];
    std::memcpy(bytes, &word, sizeof bytes);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    *address = text;
    return word != 0;
}

}  // namespace

ModeSwitchIds ParseModeSwitchRules(const std::string& text) {
    ModeSwitchIds ids;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const std::string vendor = RuleValue(line, "idVendor");
        if (!IsHexDigits(vendor, 4)) continue;
        const std::string product = RuleValue(line, "idProduct");
        if (IsHexDigits(product, 4)) {
            if (!Contains(ids.pairs, vendor + ":" + product)) ids.pairs.push_back(vendor + ":" + product);
        } else if (product.empty() && line.find("idProduct") == std::string::npos) {
            if (!Contains(ids.vendors, vendor)) ids.vendors.push_back(vendor);
        }
    }
    return ids;
}

bool IsModeSwitchId(const ModeSwitchIds& ids, const std::string& vendorId, const std::string& productId) {
    const std::string vendor = AsciiLower(vendorId);
    return Contains(ids.pairs, vendor + ":" + AsciiLower(productId)) || Contains(ids.vendors, vendor);
}

std::string GatewayOn(const std::string& routeTable, const std::vector<std::string>& interfaces) {
    constexpr unsigned kRouteGateway = 0x2;  // RTF_GATEWAY
    std::string fallback;
    std::istringstream lines(routeTable);
    std::string line;
    std::getline(lines, line);  // the column names
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags;
        if (!(fields >> name >> destination >> gateway >> flags) || !Contains(interfaces, name)) continue;
        if (!IsHexDigits(flags, 4) || (std::strtoul(flags.c_str(), nullptr, 16) & kRouteGateway) == 0) continue;
        std::string address;
        if (!RouteAddress(gateway, &address)) continue;
        if (destination == "00000000") return address;
        if (fallback.empty()) fallback = address;
    }
    return fallback;
}
