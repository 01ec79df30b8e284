// The exporter's series for a USB device that is a modem but offers no AT port, so that a fleet
// shows the stick that fell back into storage mode after a power cut.
#pragma once

#include <string>
#include <vector>

#include "host/usb_modem_devices.h"

// The family vesmarin_usb_device_info{usb_path, vendor_id, product_id, mode} in the text
// exposition (HELP and TYPE always, one sample of 1 per device whose mode is not serial).
std::string UsbDeviceInfoFamily(const std::vector<UsbDevice>& devices);
