// Two files of the system that complete the account of a USB device that is or may be a modem:
// the mode-switch rules of Debian's usb-modeswitch-data, which name the sticks known to need a
// switch out of storage mode, and the kernel's routing table, which gives the address of a
// stick in router mode. Parsed from their text, so the same rules hold for a made-up tree.
#pragma once

#include <string>
#include <vector>

struct ModeSwitchIds {
    std::vector<std::string> pairs;    // "f1e5:1f01", lowercase
    std::vector<std::string> vendors;  // vendors whose every stick a rule switches
};

// The ids of /lib/udev/rules.d/40-usb_modeswitch.rules: each rule line's ATTR{idVendor} or
// ATTRS{idVendor} with its idProduct, or alone for a rule that matches the whole vendor.
ModeSwitchIds ParseModeSwitchRules(const std::string& text);
bool IsModeSwitchId(const ModeSwitchIds& ids, const std::string& vendorId, const std::string& productId);

// The gateway on one of `interfaces` in /proc/net/route's text ("192.168.8.1"), a default
// route's before any other; empty when there is none.
std::string GatewayOn(const std::string& routeTable, const std::vector<std::string>& interfaces);
