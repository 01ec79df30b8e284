#include "host/modem_identity.h"

#include <cctype>
#include <map>

bool LooksLikeImei(const std::string& text) {
    if (text.size() < 14 || text.size() > 17) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

ModemIdentity IdentifyModem(const std::string& imeiRow, const std::string& usbPath, const std::string& byId,
                            int comNumber, const std::string& device) {
    ModemIdentity identity;
    identity.usbPath = usbPath;
    identity.byId = byId;
    identity.device = device;
    if (LooksLikeImei(imeiRow)) identity.imei = imeiRow;
    if (!identity.imei.empty()) {
        identity.id = "imei:" + identity.imei;
    } else if (!usbPath.empty()) {
        identity.id = "usb:" + usbPath;
    } else if (comNumber > 0) {
        identity.id = "com:" + std::to_string(comNumber);
    } else {
        identity.id = "device:" + device;
    }
    return identity;
}

size_t TellApartSharedImeis(std::vector<ModemIdentity>* identities) {
    std::map<std::string, size_t> holders;
    for (const auto& identity : *identities) {
        if (!identity.imei.empty()) ++holders[identity.imei];
    }
    size_t shared = 0;
    for (auto& identity : *identities) {
        if (identity.imei.empty()) continue;
        identity.id = "imei:" + identity.imei;
        if (holders[identity.imei] < 2) continue;
        identity.id += "@" + (identity.usbPath.empty() ? identity.device : identity.usbPath);
        ++shared;
    }
    return shared;
}

ModemIdentity IdentityOfPort(const std::string& imeiRow, const DeviceIdentity& device, bool identified,
                             int comNumber, const std::string& path) {
    if (!identified) return IdentifyModem(imeiRow, "", "", comNumber, path);
    return IdentifyModem(imeiRow, device.usb ? device.usbPath : "", device.byIdLink, comNumber, device.device);
}
