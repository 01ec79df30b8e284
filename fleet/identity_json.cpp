#include "fleet/identity_json.h"

#include <nlohmann/json.hpp>

namespace {

nlohmann::ordered_json TextOrNull(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

}  // namespace

nlohmann::ordered_json IdentityJson(const ModemIdentity& identity) {
    nlohmann::ordered_json json;
    json["id"] = identity.id;
    json["imei"] = TextOrNull(identity.imei);
    json["usb_path"] = TextOrNull(identity.usbPath);
    json["by_id"] = TextOrNull(identity.byId);
    return json;
}

ModemIdentity IdentityOfPort(const std::string& imeiRow, const DeviceIdentity& device, bool identified,
                             int comNumber, const std::string& path) {
    if (!identified) return IdentifyModem(imeiRow, "", "", comNumber, path);
    return IdentifyModem(imeiRow, device.usb ? device.usbPath : "", device.byIdLink, comNumber, device.device);
}
