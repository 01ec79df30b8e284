#include "host/usb_modem_devices.h"

#include <algorithm>
#include <iterator>

namespace {

// The network drivers of sticks in router mode; others (an Ethernet adapter's) are no modem's.
bool IsRouterModeDriver(const std::string& driver) {
    static const char* const kDrivers[] = {"cdc_ether", "rndis_host", "cdc_ncm", "huawei_cdc_ncm", "cdc_eem"};
    return std::find(std::begin(kDrivers), std::end(kDrivers), driver) != std::end(kDrivers);
}

// Interfaces that a modem shows: vendor-specific, CDC communications and data, RNDIS (e0/01/03;
// e0/01/01 is Bluetooth), and mass storage with a CD-ROM behind it.
bool MayBeModem(const UsbInterface& interface) {
    const std::string& c = interface.classCode;
    if (c == "ff" || c == "02" || c == "0a") return true;
    if (c == "e0") return interface.subclass == "01" && interface.protocol == "03";
    return c == "08" && interface.cdRom;
}

template <typename Test>
bool AnyInterface(const UsbDevice& device, Test test) {
    return std::any_of(device.interfaces.begin(), device.interfaces.end(),
                       [&](const UsbInterface& interface) { return MayBeModem(interface) && test(interface); });
}

bool HasControlDevice(const UsbDevice& device, const char* driver) {
    return AnyInterface(device, [&](const UsbInterface& i) { return i.driver == driver && !i.controlDevices.empty(); });
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : separator) + item;
    return text;
}

std::vector<std::string> DriverlessNumbers(const UsbDevice& device) {
    std::vector<std::string> numbers;
    for (const UsbInterface* interface : DriverlessVendorInterfaces(device)) numbers.push_back(interface->number);
    return numbers;
}

// "/dev/cdc-wdm0 (qmi_wwan)", for each control device under `driver`.
std::string ControlDevices(const UsbDevice& device, const char* driver) {
    std::vector<std::string> named;
    for (const auto& interface : device.interfaces) {
        if (interface.driver != driver) continue;
        for (const auto& control : interface.controlDevices) named.push_back(control + " (" + driver + ")");
    }
    return Join(named, ", ");
}

// "usb0 of cdc_ether", for each network interface of a router-mode driver.
std::string NetworkInterfaces(const UsbDevice& device) {
    std::vector<std::string> named;
    for (const auto& interface : device.interfaces) {
        if (!MayBeModem(interface) || !IsRouterModeDriver(interface.driver)) continue;
        for (const auto& net : interface.netInterfaces) named.push_back(net + " of " + interface.driver);
    }
    return Join(named, ", ");
}

std::string CdDrives(const UsbDevice& device) {
    std::vector<std::string> drives;
    for (const auto& interface : device.interfaces) {
        if (interface.classCode != "08" || !interface.cdRom) continue;
        if (interface.cdDrives.empty()) drives.push_back("a CD drive");
        for (const auto& drive : interface.cdDrives) drives.push_back("CD drive " + drive);
    }
    return Join(drives, ", ");
}

std::string BindingLines(const UsbDevice& device) {
    return "  modprobe option\n  echo " + device.vendorId + " " + device.productId +
           " > /sys/bus/usb-serial/drivers/option1/new_id";
}

std::string PortWords(const UsbPort& port) {
    switch (port.state) {
    case UsbPortState::Answered: return port.device + " answered";
    case UsbPortState::Busy: return port.reason.empty() ? port.device + " is in use by another program" : port.reason;
    case UsbPortState::Denied: return port.device + " may not be opened by this user";
    case UsbPortState::Silent: return port.device + " stayed silent";
    case UsbPortState::Failed: return port.device + " could not be opened: " + port.reason;
    case UsbPortState::NotTried: return port.device + " was not tried";
    }
    return port.device;
}

std::string SerialAdvice(const UsbDevice& device) {
    std::vector<const UsbPort*> ports;
    for (const auto& interface : device.interfaces) {
        for (const auto& port : interface.ports) ports.push_back(&port);
    }
    for (const UsbPort* port : ports) {
        if (port->state == UsbPortState::Answered) return "a modem: " + PortWords(*port) + " as one.";
    }
    std::vector<std::string> words;
    bool busy = false, denied = false;
    for (const UsbPort* port : ports) {
        words.push_back(PortWords(*port));
        busy = busy || port->state == UsbPortState::Busy;
        denied = denied || port->state == UsbPortState::Denied;
    }
    std::string advice = "has serial ports, and none answered as a modem: " + Join(words, "; ") + ".";
    if (busy) {
        advice +=
            " A port in use is left alone: end the program that holds it (ModemManager often does) and scan "
            "again.";
    }
    if (denied) {
        advice +=
            "\nTo be allowed to open serial ports, run this, then log in again:\n  sudo usermod -aG dialout $USER";
    }
    return advice;
}

std::string UnboundAdvice(const UsbDevice& device) {
    return "if this is a modem, the kernel's serial driver does not know its id: its vendor-specific interfaces " +
           Join(DriverlessNumbers(device), ", ") +
           " have no driver (a fingerprint reader looks the same). As root, these lines bind them to the serial "
           "driver; it lasts until reboot:\n" +
           BindingLines(device);
}

// Windows lists each such interface as an unknown device; what it needs is its maker's driver,
// and nothing is bound by hand there.
std::string WindowsUnboundAdvice(const UsbDevice& device) {
    const std::vector<std::string> numbers = DriverlessNumbers(device);
    const bool one = numbers.size() == 1;
    return std::string("if this is a modem, Windows has no driver for it: its interface") + (one ? " " : "s ") +
           Join(numbers, ", ") +
           (one ? " has none installed (an unknown device" : " have none installed (unknown devices") +
           " under \"Other devices\" in Device Manager; a fingerprint reader looks the same). Install the modem's "
           "driver from its maker (a stick often carries it on its own CD drive); its AT port then appears as a COM "
           "port.";
}

std::string ControlAdvice(const UsbDevice& device, UsbMode mode) {
    const bool qmi = mode == UsbMode::Qmi;
    std::string advice = std::string("speaks ") + (qmi ? "QMI" : "MBIM") + ", not AT commands, on its control device " +
                         ControlDevices(device, qmi ? "qmi_wwan" : "cdc_mbim") + ".";
    const std::vector<std::string> driverless = DriverlessNumbers(device);
    if (!driverless.empty()) {
        advice += " Its AT port is probably among its vendor-specific interfaces without a driver (" +
                  Join(driverless, ", ") + "): if this is a modem, as root, these lines bind them until reboot:\n" +
                  BindingLines(device);
    }
    return advice;
}

std::string NetworkAdvice(const UsbDevice& device) {
    std::string advice = "works as a network card (router mode): its facts are on its own web page";
    if (!device.gateway.empty()) {
        return advice + ", open http://" + device.gateway + "/ (the gateway on " + NetworkInterfaces(device) + ").";
    }
    return advice + ", at the address of the gateway on " + NetworkInterfaces(device) +
           ", which the routing table does not name now.";
}

std::string StorageAdvice(const UsbDevice& device) {
    std::string advice = "in storage mode; a mode switch makes its modem appear (" + CdDrives(device) + "). ";
    if (!device.knownStorageId) {
        return advice +
               "usb_modeswitch switches known sticks: install the packages usb-modeswitch and "
               "usb-modeswitch-data; a replug after installing them usually suffices.";
    }
    const std::string id = device.vendorId + ":" + device.productId;
    if (*device.knownStorageId) {
        return advice + "The rules of usb-modeswitch-data name " + id +
               " as a known stick in storage mode: usb_modeswitch (package usb-modeswitch) switches it; a replug "
               "after installing it usually suffices.";
    }
    return advice + "The rules of usb-modeswitch-data do not name " + id +
           ": usb_modeswitch (package usb-modeswitch) may still switch it with a configuration for this stick.";
}

// How another mode a device shows is named after the advice of its own.
std::string AlsoWords(const UsbDevice& device, UsbMode mode) {
    switch (mode) {
    case UsbMode::Unbound:
        return "vendor-specific interfaces without a driver (" + Join(DriverlessNumbers(device), ", ") + ")";
    case UsbMode::Qmi: return "a QMI control device " + ControlDevices(device, "qmi_wwan");
    case UsbMode::Mbim: return "an MBIM control device " + ControlDevices(device, "cdc_mbim");
    case UsbMode::Network:
        return "a network interface " + NetworkInterfaces(device) +
               (device.gateway.empty() ? "" : ", web page http://" + device.gateway + "/");
    case UsbMode::Storage: return CdDrives(device);
    case UsbMode::Serial:
    case UsbMode::None: break;
    }
    return "";
}

}  // namespace

std::vector<const UsbInterface*> DriverlessVendorInterfaces(const UsbDevice& device) {
    std::vector<const UsbInterface*> found;
    for (const auto& interface : device.interfaces) {
        if (!interface.driver.empty()) continue;
        const bool windows = device.listing == UsbListing::WindowsDevices;
        const bool vendorSpecific = interface.classCode == "ff" && interface.endpoints > 0;
        if (windows ? MayBeModem(interface) : vendorSpecific) found.push_back(&interface);
    }
    return found;
}

std::vector<UsbMode> UsbModes(const UsbDevice& device) {
    std::vector<UsbMode> modes;
    if (AnyInterface(device, [](const UsbInterface& i) { return !i.ports.empty(); })) modes.push_back(UsbMode::Serial);
    // One vendor-specific interface without a driver is as likely a reader or a dongle. Windows
    // shows each one as an unknown device, which is worth a word whatever it turns out to be.
    const size_t enough = device.listing == UsbListing::WindowsDevices ? 1 : 2;
    if (DriverlessVendorInterfaces(device).size() >= enough) modes.push_back(UsbMode::Unbound);
    if (HasControlDevice(device, "qmi_wwan")) modes.push_back(UsbMode::Qmi);
    if (HasControlDevice(device, "cdc_mbim")) modes.push_back(UsbMode::Mbim);
    if (AnyInterface(device,
                     [](const UsbInterface& i) { return IsRouterModeDriver(i.driver) && !i.netInterfaces.empty(); })) {
        modes.push_back(UsbMode::Network);
    }
    // MayBeModem takes mass storage only with a CD-ROM behind it.
    if (AnyInterface(device, [](const UsbInterface& i) { return i.classCode == "08"; })) {
        modes.push_back(UsbMode::Storage);
    }
    return modes;
}

UsbMode ModeOf(const UsbDevice& device) {
    const std::vector<UsbMode> modes = UsbModes(device);
    return modes.empty() ? UsbMode::None : modes.front();
}

const char* UsbModeName(UsbMode mode) {
    switch (mode) {
    case UsbMode::Serial: return "serial";
    case UsbMode::Unbound: return "unbound";
    case UsbMode::Qmi: return "qmi";
    case UsbMode::Mbim: return "mbim";
    case UsbMode::Network: return "network";
    case UsbMode::Storage: return "storage";
    case UsbMode::None: break;
    }
    return "";
}

std::string UsbAdvice(const UsbDevice& device) {
    const std::vector<UsbMode> modes = UsbModes(device);
    if (modes.empty()) return "";
    std::string advice;
    switch (modes.front()) {
    case UsbMode::Serial: advice = SerialAdvice(device); break;
    case UsbMode::Unbound:
        advice = device.listing == UsbListing::WindowsDevices ? WindowsUnboundAdvice(device) : UnboundAdvice(device);
        break;
    case UsbMode::Qmi:
    case UsbMode::Mbim: advice = ControlAdvice(device, modes.front()); break;
    case UsbMode::Network: advice = NetworkAdvice(device); break;
    case UsbMode::Storage: advice = StorageAdvice(device); break;
    case UsbMode::None: break;
    }
    std::vector<std::string> others;
    for (size_t i = 1; i < modes.size(); ++i) others.push_back(AlsoWords(device, modes[i]));
    if (!others.empty()) advice += "\nIt also shows " + Join(others, "; ") + ".";
    return advice;
}
