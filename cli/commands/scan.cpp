#include <nlohmann/json.hpp>
#include <cstdio>
#include <vector>

#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/console/console_output.h"
#include "cli/report/scan_report.h"
#include "host/serial_devices.h"
#include "host/usb_modem_devices.h"
#include "link/discovery.h"
#include "link/serial_port.h"

namespace {

constexpr CommandHelp kScanHelp = {
    "list the ports behind which a modem answers",
    "Tries COM1 to COM254, asks each port that opens for its model (ATE0, then AT+CGMM,\n"
    "1000 ms each) and prints one port entry per modem, in port order, as the port list\n"
    "shows them: \"E173 (COM5)\". A port that opens but stays silent costs about 2 s.\n",
    "When no modem answers, the serial devices that exist are listed on stderr (Linux), and\n"
    "each USB device that is or may be a modem with what it shows and what to do: a stick\n"
    "in storage mode, one that works as a network card, a QMI or MBIM module, interfaces\n"
    "that no driver took, ports that are busy, not permitted or silent (--verbose and\n"
    "--json always list them).\n"
    "On Linux each port's device is named too (on a terminal, and in --verbose and --json):\n"
    "its real path, the USB vendor and product numbers, maker and product strings,\n"
    "interface and serial number from sysfs, and its /dev/serial/by-id link.\n"
    "Exit status: 0 when a modem answered, 1 when none did, 2 bad arguments, 3 the output\n"
    "could not be written.\n",
};

struct ScanOptions {
    bool verbose = false;
    bool json = false;
};

void ShowProgress(int portNumber, int modemsFound, void*) {
    if (portNumber == kLastPortNumber) {
        ShowStatusLine(stderr, "");
        return;
    }
    ShowStatusLine(stderr, "scanning COM" + std::to_string(portNumber) + " of " +
                               std::to_string(kLastPortNumber) + ", modems found: " +
                               std::to_string(modemsFound));
}

void KeepReport(const PortProbeReport& report, void* context) {
    static_cast<std::vector<PortResult>*>(context)->push_back(ResultFromReport(report));
}

// The device a COM number reaches here; false where COM names need no mapping (Windows).
bool IdentifyPort(int portNumber, DeviceIdentity* identity) {
    return IdentifyDevice(ComDevicePath(portNumber), identity);
}

// Into a pipe the entries stay alone on their lines, as scripts take them; a person at a
// terminal also sees which device each one is.
void PrintEntries() {
    const bool terminal = IsTerminal(stdout);
    char entry[kPortEntrySize];
    for (int i = 0; i < ModemList.count; ++i) {
        FormatPortEntry(i, entry, sizeof entry);
        WriteVisible1251(stdout, std::string(entry) + "\n");
        DeviceIdentity identity;
        if (terminal && IdentifyPort(ModemList.portNumbers[i], &identity)) {
            WriteVisible1251(stdout, DeviceLine(identity));
        }
    }
}

int RunScan(const ScanOptions& options) {
    const bool verbose = options.verbose;
    const bool json = options.json;

    // Every probe is kept: when nothing answers, the USB account says what each port did.
    std::vector<PortResult> results;
    SetProbeReport(&KeepReport, &results);
    SetProbeProgress(IsTerminal(stderr) ? &ShowProgress : nullptr, nullptr);
    ProbePorts();
    SetProbeProgress(nullptr, nullptr);
    SetProbeReport(nullptr, nullptr);

    const bool account = json || verbose || ModemList.count == 0;
    for (auto& result : results) {
        if (account && result.outcome != ProbeOutcome::NoDevice) {
            result.identified = IdentifyPort(result.portNumber, &result.device);
        }
    }
    bool surveyed = false;
    std::vector<SerialDevice> devices =
        ModemList.count == 0 ? ListSerialDevices(&surveyed) : std::vector<SerialDevice>{};
    for (auto& device : devices) device.identified = IdentifyDevice(device.path, &device.device);
    std::vector<UsbDevice> usbDevices;
    if (account) {
        bool usbSurveyed = false;
        usbDevices = ListUsbModemDevices(&usbSurveyed);
        MarkUsbPorts(results, &usbDevices);
    }
    if (json) {
        WriteUtf8(stdout, ReportJson(results, devices, surveyed, usbDevices));
    } else if (verbose) {
        WriteVisible1251(stdout, ReportLines(results));
        WriteVisible1251(stdout, UsbDeviceLines(usbDevices, true));
        char why[640];
        if (OpenedWithoutLockFile(why, sizeof why)) {
            Write1251(stdout, std::string("Ports were opened without lock files: ") + why + "\n");
        }
    } else {
        PrintEntries();
    }
    FlushOutput();

    if (ModemList.count == 0) {
        std::fprintf(stderr, "No modem answered on COM1 to COM%d.\n", kLastPortNumber);
        if (surveyed && !json) {
            Write1251(stderr, NothingFoundAdvice(devices, usbDevices, verbose));
        } else if (!json && !verbose) {
            // Windows lists no serial devices beyond the ports tried, but may know a stick
            // whose driver is missing.
            Write1251(stderr, UsbDeviceLines(usbDevices, false));
        }
        return kExitNoModemFound;
    }
    return kExitSuccess;
}

}  // namespace

void DeclareScan(CommandLine* line) {
    auto options = std::make_shared<ScanOptions>();
    line->AddCommand("scan", kScanHelp, [options] { return RunScan(*options); })
        .Flag("-v,--verbose", &options->verbose,
              "say instead what each port did and how long it took: absent, could not\n"
              "open (and why), opened but silent, answered without a model, or the\n"
              "entry it gave")
        .Flag("--json", &options->json, "the same account as one JSON document")
        .Exclusive("--verbose", "--json");
}
