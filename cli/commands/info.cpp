#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/grammar/port_checks.h"
#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/grammar/port_argument.h"
#include "cli/report/info_json.h"
#include "cli/commands/many_options.h"
#include "cli/console/console_output.h"
#include "fleet/identity_json.h"
#include "host/modem_identity.h"
#include "cli/report/scan_report.h"
#include "common/cp1251.h"
#include "host/modem_ports.h"
#include "common/utc_time.h"
#include "info/buy_code_url.h"
#include "info/captured_rows.h"
#include "info/info_run.h"
#include "info/info_table.h"
#include "link/port_error.h"

namespace {

constexpr CommandHelp kInfoHelp = {
    "read the modem's information table (or every modem's, with --all)",
    "Runs the information run (the 17 AT queries) on PORT and prints the 29 rows of the\n"
    "information table in table order, one per line: name, colon, blank, value.\n",
    "When the window would offer to buy an unlock code for this model, one more line after\n"
    "the rows names the shop's page (in JSON \"buy_code_url\", null when there is none).\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "A modem that stays silent makes every query wait 65.6 s; when stderr is a terminal the\n"
    "command the run is waiting on is shown there.\n"
    "A modem that goes away during the run (unplugged) ends it: the rows read until then are\n"
    "printed and stderr names the query at which the port failed.\n"
    "With --json the document also has \"device\" (as in scan --json) and \"identity\"\n"
    "({\"id\", \"imei\", \"usb_path\", \"by_id\"}: the IMEI where the modem gives one, else the\n"
    "USB path, which stays the same when the ttyUSB numbers move).\n"
    "Exit status: 0 run completed, 1 the modem went away during the run, 2 bad arguments or\n"
    "the port cannot be opened, 3 the output could not be written.\n"
    "\n"
    "--all reads every modem of the machine at once, each in a process of its own: on Linux\n"
    "every /dev/ttyUSB* and /dev/ttyACM* (a ttyACM only when sysfs puts it on USB; ttyS only\n"
    "when named), on Windows COM1 to COM254. A modem is one USB device, read through the first\n"
    "of its ports that answers AT, in interface order. Each modem gets a header line (entry,\n"
    "device, USB path, IMEI) and its rows, in USB-path order; with --json one array of the\n"
    "info --json objects plus \"ports\", \"model\" and \"error\" (null when the run succeeded).\n"
    "--ports, --exclude and --timeout go with --all. With $VESMARIN_PORTS set, its comN links\n"
    "are the ports. A USB device that is a modem without an AT port (in storage mode, a\n"
    "network card, a QMI or MBIM module, interfaces without a driver) is named on stderr.\n"
    "Exit status with --all: 0 every modem read, 1 some modem failed or none\n"
    "answered (the last line on stderr names them), 2 bad arguments, 3 the output could not\n"
    "be written.\n",
};

struct InfoOptions {
    bool json = false;
    std::string port;   // UTF-8; empty with --all
    bool all = false;
    ManyOptions many;
};

void ShowStep(int step, const char* command, void*) {
    ShowStatusLine(stderr, "query " + std::to_string(step) + " of " + std::to_string(kInfoQueryCount) +
                               ": waiting for the reply to " + command);
}

void PrintRows(const CapturedRows& rows) {
    for (int i = 0; i < kInfoRowCount; ++i) {
        WriteVisible1251(stdout, std::string(InfoTable[i].name) + ": " + rows.Value(i) + "\n");
    }
    const std::string page = BuyCodePage(rows);
    if (!page.empty()) Write1251(stdout, "Купить код: " + page + "\n");
}

// The n of a "\\.\COMn" port path; 0 for a device path.
int ComNumberOf(const PortArgument& port) {
    const size_t com = port.devicePath.rfind("COM");
    if (port.devicePath.compare(0, 4, "\\\\.\\") != 0 || com == std::string::npos) return 0;
    return std::atoi(port.devicePath.c_str() + com + 3);
}

void PrintJson(const PortArgument& port, const CapturedRows& rows) {
    nlohmann::ordered_json document = InfoJson(port.display, rows);
    // The device and the modem's stable identity, under the keys info --all and scan use.
    const std::string path = port.entry.empty() ? port.devicePath : ComDevicePath(ComNumberOf(port));
    DeviceIdentity device;
    const bool identified = !path.empty() && IdentifyDevice(path, &device);
    document["device"] = identified ? DeviceJson(device) : nlohmann::ordered_json(nullptr);
    document["identity"] = IdentityJson(IdentityOfPort(rows.Value(InfoRow::Imei), device, identified,
                                                       ComNamesAreTheSystems() ? ComNumberOf(port) : 0,
                                                       path.empty() ? port.devicePath : path));
    WriteUtf8(stdout, document.dump(2) + "\n");
}

int RunInfo(const InfoOptions& options) {
    if (options.all) {
        ManyOptions many = options.many;
        many.json = options.json;
        return RunInfoAll(many);
    }
    PortArgument port;
    if (!ReadPortArgument(options.port, &port)) return kExitUsage;
    const bool json = options.json;

    CapturedRows rows;
    const bool progress = IsTerminal(stderr);
    SetInfoRunProgress(progress ? &ShowStep : nullptr, nullptr);
    const int result = port.entry.empty() ? ReadModemInfoAtPath(port.devicePath.c_str())
                                          : ReadModemInfo(port.entry.c_str());
    SetInfoRunProgress(nullptr, nullptr);
    if (progress) ShowStatusLine(stderr, "");

    if (result != 0) {
        Write1251(stderr, "vesmarin-cli info: cannot open " + port.display + ": " + LastPortError() +
                              "\n");
        return kExitUsage;
    }
    NoteUnlockedUse("info", port.display);
    if (json) {
        PrintJson(port, rows);
    } else {
        PrintRows(rows);
    }
    FlushOutput();

    int lostStep = 0;
    const char* lostCommand = "";
    if (InfoRunLostThePort(&lostStep, &lostCommand)) {
        Write1251(stderr, "vesmarin-cli info: the modem on " + port.display + " went away at query " +
                              std::to_string(lostStep) + " of " + std::to_string(kInfoQueryCount) + " (" +
                              lostCommand + "): " + LastPortError() +
                              "; the rows above were read before that\n");
        return kExitModemFailed;
    }
    return kExitSuccess;
}

}  // namespace

void DeclareInfo(CommandLine* line) {
    auto options = std::make_shared<InfoOptions>();
    CommandOptions info = line->AddCommand("info", kInfoHelp, [options] { return RunInfo(*options); });
    info.Flag("--json", &options->json, "print the same run as one JSON document instead");
    info.Flag("--all", &options->all, "read every modem of the machine at once (see below)");
    DeclareManyOptions(info, &options->many);
    info.Port(&options->port, false);
    // One port or every modem: checked once the whole line is read, as a misuse like any other.
    info.Check([options]() -> std::string {
        if (options->all && !options->port.empty()) return "--all takes no PORT";
        if (!options->all && options->port.empty()) return "PORT is required";
        if (!options->all && options->many.given) return "--ports, --exclude and --timeout go with --all";
        return "";
    });
}
