#include "host/device_identity.h"

std::string IdentityText(const DeviceIdentity& identity) {
    std::string text = identity.device;
    if (identity.usb) {
        text += ", USB " + identity.vendorId + ":" + identity.productId;
        if (!identity.manufacturer.empty()) text += " " + identity.manufacturer;
        if (!identity.product.empty()) text += " " + identity.product;
        if (!identity.interfaceNumber.empty()) text += " interface " + identity.interfaceNumber;
        if (!identity.serial.empty()) text += " serial " + identity.serial;
    } else {
        text += ", no USB facts (not a USB device)";
    }
    if (!identity.byIdLink.empty()) text += ", by-id " + identity.byIdLink;
    return text;
}
