#include "exporter/usb_device_metric.h"

#include "exporter/label_value.h"

std::string UsbDeviceInfoFamily(const std::vector<UsbDevice>& devices) {
    std::string out =
        "# HELP vesmarin_usb_device_info A USB device that is or may be a modem but offers no AT port "
        "(mode storage, network, qmi, mbim or unbound), as labels; always 1.\n"
        "# TYPE vesmarin_usb_device_info gauge\n";
    for (const auto& device : devices) {
        const UsbMode mode = ModeOf(device);
        if (mode == UsbMode::Serial || mode == UsbMode::None) continue;
        out += "vesmarin_usb_device_info{usb_path=\"" + LabelValue(device.usbPath) + "\",vendor_id=\"" +
               LabelValue(device.vendorId) + "\",product_id=\"" + LabelValue(device.productId) + "\",mode=\"" +
               UsbModeName(mode) + "\"} 1\n";
    }
    return out;
}
