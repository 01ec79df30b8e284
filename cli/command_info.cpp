#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/report/console_output.h"
#include "cli/port_argument.h"
#include "common/cp1251.h"
#include "common/utc_time.h"
#include "info/buy_code_url.h"
#include "info/captured_rows.h"
#include "info/info_run.h"
#include "info/info_table.h"
#include "link/port_error.h"

namespace {

constexpr char kInfoHelp[] =
    "usage: vesmarin-cli info [--json] PORT\n"
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
    "Exit status: 0 run completed, 1 the modem went away during the run, 2 bad arguments or\n"
    "the port cannot be opened.\n";

void ShowStep(int step, const char* command, void*) {
    ShowStatusLine(stderr, "query " + std::to_string(step) + " of " + std::to_string(kInfoQueryCount) +
                               ": waiting for the reply to " + command);
}

// The page the window's buy-code cell would open for these rows, by the same rule and the same
// date gate (today in UTC); empty when the window would show a plain cell.
std::string BuyCodePage(const CapturedRows& rows) {
    char address[kPageAddressSize] = {};
    OfferedBuyCodePage(rows.Value(InfoRow::Model).c_str(), rows.Value(InfoRow::Versions).c_str(),
                       UtcToday(), address, sizeof address);
    return address;
}

void PrintRows(const CapturedRows& rows) {
    for (int i = 0; i < kInfoRowCount; ++i) {
        WriteVisible1251(stdout, std::string(InfoTable[i].name) + ": " + rows.Value(i) + "\n");
    }
    const std::string page = BuyCodePage(rows);
    if (!page.empty()) Write1251(stdout, "Купить код: " + page + "\n");
}

void PrintJson(const PortArgument& port, const CapturedRows& rows) {
    nlohmann::ordered_json document;
    document["port"] = Cp1251ToUtf8(port.display);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int i = 0; i < kInfoRowCount; ++i) {
        nlohmann::ordered_json row;
        row["index"] = i;
        row["name"] = Cp1251ToUtf8(InfoTable[i].name);
        row["value"] = Cp1251ToUtf8(rows.Value(i));
        list.push_back(row);
    }
    document["rows"] = list;
    const std::string page = BuyCodePage(rows);
    document["buy_code_url"] = page.empty() ? nlohmann::ordered_json(nullptr)
                                            : nlohmann::ordered_json(Cp1251ToUtf8(page));
    WriteUtf8(stdout, document.dump(2) + "\n");
}

}  // namespace

int RunInfo(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kInfoHelp, stdout);
        return 0;
    }
    bool json = false;
    Arguments rest;
    for (const auto& arg : args) {
        if (arg == "--json") {
            json = true;
        } else {
            rest.push_back(arg);
        }
    }
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
