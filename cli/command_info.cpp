#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/report/console_output.h"
#include "cli/port_argument.h"
#include "cli/exit_codes.h"
#include "cli/info_json.h"
#include "cli/many_options.h"
#include "cli/report/identity_json.h"
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

constexpr char kInfoHelp[] =
    "usage: vesmarin-cli info [--json] PORT\n"
    "       vesmarin-cli info --all [--json] [--ports LIST] [--exclude LIST] [--timeout SECONDS]\n"
    "\n"
    "Runs the information run (the 17 AT queries) on PORT and prints the 29 rows of the\n"
    "information table in table order, one per line: name, colon, blank, value.\n"
    "  --json   print the same run as one JSON document instead\n"
    "When the window would offer to buy an unlock code for this model, one more line after\n"
    "the rows names the shop's page (in JSON \"buy_code_url\", null when there is none).\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "A modem that stays silent makes every query wait 65.6 s; when stderr is a terminal the\n"
    "command the run is waiting on is shown there.\n"
    "A modem that goes away during the run (unplugged) ends it: the rows read until then are\n"
    "printed and stderr names the query at which the port failed.\n"
    "With --json the document also has \"device\" (as in scan --json) and \"identity\"\n"
    "({\"id\", \"imei\", \"usbPath\", \"byId\"}: the IMEI where the modem gives one, else the\n"
    "USB path, which stays the same when the ttyUSB numbers move).\n"
    "Exit status: 0 run completed, 1 the modem went away during the run, 2 bad arguments or\n"
    "the port cannot be opened.\n"
    "\n"
    "--all reads every modem of the machine at once, each in a process of its own: on Linux\n"
    "every /dev/ttyUSB* and /dev/ttyACM* (a ttyACM only when sysfs puts it on USB; ttyS only\n"
    "when named), on Windows COM1 to COM254. A modem is one USB device, read through the first\n"
    "of its ports that answers AT, in interface order. Each modem gets a header line (entry,\n"
    "device, USB path, IMEI) and its rows, in USB-path order; with --json one array of the\n"
    "info --json objects plus \"ports\", \"model\" and \"error\" (null when the run succeeded).\n"
    "  --ports LIST     only these ports (device paths or by-id globs, comma-separated)\n"
    "  --exclude LIST   leave these out; one port excluded leaves out its whole USB device\n"
    "  --timeout S      one modem's deadline, probe included (default 60): a modem past it is\n"
    "                   reported as such and the others are not held\n"
    "With $VESMARIN_PORTS set, its comN links are the ports. Exit status: 0 every modem read,\n"
    "1 some modem failed or none answered (the last line on stderr names them), 2 bad\n"
    "arguments.\n";

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

}  // namespace

int RunInfo(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kInfoHelp, stdout);
        return 0;
    }
    bool json = false;
    bool all = false;
    ManyOptions many;
    Arguments given;
    std::string error;
    if (!ParseManyOptions(args, &many, &given, &error)) return UsageError("info", error);
    Arguments rest;
    for (const auto& arg : given) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--all") {
            all = true;
        } else {
            rest.push_back(arg);
        }
    }
    if (all) {
        if (!rest.empty()) return UsageError("info", "--all takes no PORT");
        many.json = json;
        return RunInfoAll(many);
    }
    if (given.size() != args.size()) return UsageError("info", "--ports, --exclude and --timeout go with --all");
    if (rest.size() != 1) {
        std::fprintf(stderr, "vesmarin-cli info: expects one PORT (see --help)\n");
        return 2;
    }
    PortArgument port;
    if (!ReadPortArgument(rest[0], &port)) return 2;

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
        return 2;
    }
    NoteUnlockedUse("info", port.display);
    if (json) {
        PrintJson(port, rows);
    } else {
        PrintRows(rows);
    }
    std::fflush(stdout);

    int lostStep = 0;
    const char* lostCommand = "";
    if (InfoRunLostThePort(&lostStep, &lostCommand)) {
        Write1251(stderr, "vesmarin-cli info: the modem on " + port.display + " went away at query " +
                              std::to_string(lostStep) + " of " + std::to_string(kInfoQueryCount) + " (" +
                              lostCommand + "): " + LastPortError() +
                              "; the rows above were read before that\n");
        return 1;
    }
    return 0;
}
