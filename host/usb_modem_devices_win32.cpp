// Windows names no sysfs; what it does name is the device tree Device Manager shows. A stick whose
// COM ports exist has been offered to the scan already, so only the interfaces without a driver
// installed add to what the scan knows: they are asked of SetupAPI and told apart in
// windows_usb_nodes.cpp. Everything here reads.
#include <windows.h>
// windows.h first: the SetupAPI headers use its types.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>

#include "host/usb_modem_devices.h"
#include "host/windows_usb_nodes.h"

namespace {

// More USB nodes than any machine holds: a list without an end is cut here.
constexpr DWORD kMaxNodes = 4096;
constexpr size_t kIdSize = MAX_DEVICE_ID_LEN + 1;
constexpr size_t kPropertySize = 2048;

std::string InstanceId(DEVINST node) {
    char id[kIdSize] = {};
    if (CM_Get_Device_IDA(node, id, static_cast<ULONG>(sizeof id - 1), 0) != CR_SUCCESS) return "";
    return std::string(id, strnlen(id, sizeof id));
}

// A registry property of ANSI strings, one or several (REG_MULTI_SZ): each one.
std::vector<std::string> TextProperty(HDEVINFO set, SP_DEVINFO_DATA* data, DWORD property) {
    char buffer[kPropertySize] = {};
    DWORD type = 0;
    // Two bytes kept zero so that a cut list still ends.
    if (!SetupDiGetDeviceRegistryPropertyA(set, data, property, &type, reinterpret_cast<BYTE*>(buffer),
                                           static_cast<DWORD>(sizeof buffer - 2), nullptr)) {
        return {};
    }
    std::vector<std::string> texts;
    for (size_t at = 0; at < sizeof buffer - 2 && buffer[at] != '\0';) {
        const size_t length = strnlen(buffer + at, sizeof buffer - 2 - at);
        texts.emplace_back(buffer + at, length);
        if (type != REG_MULTI_SZ) break;
        at += length + 1;
    }
    return texts;
}

// What Device Manager calls the node, in UTF-8: for an interface without a driver, the name the
// stick itself reports.
std::string Description(HDEVINFO set, SP_DEVINFO_DATA* data) {
    wchar_t wide[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, data, SPDRP_DEVICEDESC, nullptr, reinterpret_cast<BYTE*>(wide),
                                           static_cast<DWORD>(sizeof wide - sizeof(wchar_t)), nullptr)) {
        return "";
    }
    char text[3 * 512] = {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, static_cast<int>(sizeof text), nullptr, nullptr);
    return length > 1 ? std::string(text, static_cast<size_t>(length - 1)) : "";
}

WindowsDeviceNode NodeOf(HDEVINFO set, SP_DEVINFO_DATA* data) {
    WindowsDeviceNode node;
    node.instanceId = InstanceId(data->DevInst);
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, data->DevInst, 0) == CR_SUCCESS) node.parentId = InstanceId(parent);
    node.compatibleIds = TextProperty(set, data, SPDRP_COMPATIBLEIDS);
    const std::vector<std::string> service = TextProperty(set, data, SPDRP_SERVICE);
    if (!service.empty()) node.service = service.front();
    ULONG status = 0, problem = 0;
    if (CM_Get_DevNode_Status(&status, &problem, data->DevInst, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM) != 0) {
        node.problem = problem;
    }
    node.description = Description(set, data);
    return node;
}

}  // namespace

std::vector<UsbDevice> ListUsbModemDevices(bool* surveyed) {
    *surveyed = false;
    const HDEVINFO set = SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return {};
    std::vector<WindowsDeviceNode> nodes;
    SP_DEVINFO_DATA data;
    for (DWORD index = 0; index < kMaxNodes; ++index) {
        std::memset(&data, 0, sizeof data);
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInfo(set, index, &data)) break;
        nodes.push_back(NodeOf(set, &data));
    }
    SetupDiDestroyDeviceInfoList(set);
    *surveyed = true;
    return UsbDevicesFromWindowsNodes(nodes);
}
