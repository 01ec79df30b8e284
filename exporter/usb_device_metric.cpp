#include "exporter/usb_device_metric.h"

#include "exporter/label_value.h"

std::vector<MetricSample> UsbDeviceInfoSamples(const std::vector<UsbDevice>& devices) {
    std::vector<MetricSample> samples;
    for (const auto& device : devices) {
        const UsbMode mode = ModeOf(device);
        if (mode == UsbMode::Serial || mode == UsbMode::None) continue;
        samples.push_back({"usb_path=\"" + LabelValue(device.usbPath) + "\",vendor_id=\"" + LabelValue(device.vendorId) +
                               "\",product_id=\"" + LabelValue(device.productId) + "\",mode=\"" + UsbModeName(mode) + "\"",
                           "1"});
    }
    return samples;
}

std::string UsbDeviceInfoFamily(const std::vector<UsbDevice>& devices) {
    return FamilyText(kUsbDeviceInfoName, "gauge", kUsbDeviceInfoHelp, UsbDeviceInfoSamples(devices));
}
