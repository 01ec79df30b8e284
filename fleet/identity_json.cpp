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
