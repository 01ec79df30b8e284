// info --all: every modem of the machine read at once, each in a process of its own, printed
// in a stable order (USB path, then port), each failure in its own entry.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "fleet/all_modems.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/commands/many_options.h"
#include "cli/console/console_output.h"
#include "cli/report/info_json.h"
#include "fleet/identity_json.h"
#include "info/info_table.h"
#include "cli/report/scan_report.h"
#include "common/cp1251.h"
#include "host/usb_modem_devices.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Or(const std::string& text, const char* otherwise) { return text.empty() ? otherwise : text; }

// "E173 (COM5): device /dev/ttyUSB2, USB 1-2, IMEI 353456789012345", 1251.
std::string HeaderLine(const ModemReading& modem) {
    std::string line = "== " + ModemEntry(modem) + ": device " +
                       Or(modem.identified ? modem.device.device : modem.port, "-") + ", USB " +
                       Or(modem.identity.usbPath, "-") + ", IMEI " + Or(modem.identity.imei, "-") + "\n";
    return line;
}

void PrintText(const std::vector<ModemReading>& modems) {
    bool first = true;
    for (const auto& modem : modems) {
        if (!first) WriteVisible1251(stdout, "\n");
        first = false;
        WriteVisible1251(stdout, HeaderLine(modem));
        const InfoMessage& message = modem.message;
        if (!message.rows.empty()) {
            for (size_t i = 0; i < message.rows.size() && i < static_cast<size_t>(kInfoRowCount); ++i) {
                std::string value;
                Utf8ToCp1251(message.rows[i], &value);
                WriteVisible1251(stdout, std::string(InfoTable[i].name) + ": " + value + "\n");
            }
            if (!message.buyCodeUrl.empty()) {
                std::string text;
                Utf8ToCp1251(message.buyCodeUrl, &text);
                Write1251(stdout, "Купить код: " + text + "\n");
            }
        }
        if (!modem.error.empty()) {
            std::string error;
            Utf8ToCp1251(modem.error, &error);
            WriteVisible1251(stdout, "error: " + error + "\n");
        }
    }
}

Json ModemJson(const ModemReading& modem) {
    Json entry;
    entry["port"] = modem.port.empty() ? Json(nullptr) : Json(modem.port);
    const InfoMessage& message = modem.message;
    if (!message.rows.empty()) entry["rows"] = InfoRowsJson(message.rows);
    entry["buy_code_url"] = message.buyCodeUrl.empty() ? Json(nullptr) : Json(message.buyCodeUrl);
    entry["model"] = message.model.empty() ? Json(nullptr) : Json(message.model);
    entry["device"] = modem.identified ? DeviceJson(modem.device) : Json(nullptr);
    entry["identity"] = IdentityJson(modem.identity);
    Json ports = Json::array();
    for (const auto& port : modem.ports.ports) ports.push_back(port.path);
    entry["ports"] = ports;
    entry["error"] = modem.error.empty() ? Json(nullptr) : Json(modem.error);
    return entry;
}

// A stick that fell back into storage mode (after a power cut, say) has no port to read: it
// is named once, so a host's missing modem does not go unseen.
void ReportUsbDevicesWithoutAtPort() {
    bool surveyed = false;
    for (const auto& device : ListUsbModemDevices(&surveyed)) {
        if (ModeOf(device) == UsbMode::Serial) continue;
        Write1251(stderr, "vesmarin-cli info --all: " + UsbDeviceNotice(device) + "\n");
    }
}

}  // namespace

int RunInfoAll(const ManyOptions& options) {
    std::vector<ModemReading> modems =
        ReadModemsInfo(FindModemPorts(options.choice), static_cast<uint32_t>(options.timeoutSeconds) * 1000u);
    std::vector<ModemReading> found;
    for (auto& modem : modems) {
        if (modem.isModem) found.push_back(std::move(modem));
    }
    if (options.json) {
        Json list = Json::array();
        for (const auto& modem : found) list.push_back(ModemJson(modem));
        WriteUtf8(stdout, list.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
    } else {
        PrintText(found);
    }
    if (std::fflush(stdout) != 0) return kExitOutputNotWritten;
    ReportUsbDevicesWithoutAtPort();
    if (found.empty()) {
        std::fprintf(stderr, "vesmarin-cli info --all: no modem answered\n");
        return kExitNoModemFound;
    }
    std::string failed;
    int failures = 0;
    for (const auto& modem : found) {
        if (modem.error.empty()) continue;
        failed += (failures++ == 0 ? "" : ", ") + ModemEntry(modem);
    }
    if (failures == 0) return kExitSuccess;
    Write1251(stderr, "vesmarin-cli info --all: " + std::to_string(failures) + " of " + std::to_string(found.size()) +
                          " modems failed: " + failed + "\n");
    return kExitModemFailed;
}
