// The exporter's series for a USB device that is a modem but offers no AT port, so that a fleet
// shows the stick that fell back into storage mode after a power cut.
#pragma once

#include <string>
#include <vector>

#include "exporter/metric_family.h"
#include "host/usb_modem_devices.h"

constexpr char kUsbDeviceInfoName[] = "vesmarin_usb_device_info";
constexpr char kUsbDeviceInfoHelp[] =
    "A USB device that is or may be a modem but offers no AT port (mode storage, network, qmi, mbim or unbound), "
    "as labels; always 1.";

// One sample of 1 per device whose mode is not serial, labelled usb_path, vendor_id,
// product_id and mode.
std::vector<MetricSample> UsbDeviceInfoSamples(const std::vector<UsbDevice>& devices);

// The whole family vesmarin_usb_device_info in the text exposition (HELP and TYPE always).
std::string UsbDeviceInfoFamily(const std::vector<UsbDevice>& devices);
