// `cell`: the serving cell and its signal, read once, the modem left as it was found.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/grammar/port_checks.h"
#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/grammar/port_argument.h"
#include "cli/report/cell_report.h"
#include "cli/console/console_output.h"
#include "cli/console/wait.h"
#include "link/port_error.h"
#include "link/port_session.h"
#include "link/serial_port.h"
#include "radio/radio_session.h"

namespace {

constexpr CommandHelp kCellHelp = {
    "read the serving cell: technology, band, cell id, RSRP/RSRQ/SINR, NR leg, carriers",
    "Reads the serving cell of the modem on PORT: access technology, registration, operator,\n"
    "band, channel and bandwidth, PCI (PSC on UMTS), TAC or LAC, cell id (with eNB and sector\n"
    "on LTE), and RSRP, RSRQ, SINR, RSSI (RSCP, Ec/No on UMTS) with their grades, each with\n"
    "the AT command that gave it; on standalone NR the NR cell, on EN-DC the LTE anchor and\n"
    "below it the NR leg; the component carriers where the family lists them. It asks the\n"
    "standard commands (+C5GREG/+CEREG/+CGREG/+CREG, +COPS, +CESQ, +CSQ) and the first vendor\n"
    "family that answers (^HCSQ, +QENG with +QCAINFO, +CPSI). Unknown values are left out\n"
    "(null in JSON); when nothing can be reported it says why.\n"
    "The modem is left as found: no ATE0; the registration report mode is set to 2 and the\n"
    "operator format switched only for one read each, and set back at once, also on Ctrl-C,\n"
    "SIGTERM, SIGHUP or any other signal that stops it, or when a command fails.\n",
    "JSON keys, each always present and null when unknown: port, rat\n"
    "           (GSM, UMTS, LTE, LTE+NR, NR), registration (home, roaming, searching, denied,\n"
    "           not_registered), reason (no_sim, pin_required, radio_off, not_registered,\n"
    "           searching, denied), operator, operator_numeric, band, channel, channel_kind\n"
    "           (EARFCN, UARFCN, ARFCN, NR-ARFCN), bandwidth_mhz, pci, tac, lac, cell_id,\n"
    "           enb_id, sector; rsrp, rsrq, sinr, rssi, rscp, ecno in dBm or dB, each with\n"
    "           <metric>_grade (excellent, good, fair, poor) and <metric>_open_end (below,\n"
    "           at_or_above); nr: the EN-DC NR leg (band, channel, pci, bandwidth_mhz, rsrp,\n"
    "           rsrq, sinr with their grades and open ends, source), null otherwise;\n"
    "           carriers: each component carrier, primary first (role pcc/scc, rat, band,\n"
    "           channel, bandwidth_mhz, pci, state active/inactive/deconfigured, rsrp, rsrq,\n"
    "           rssi, sinr), null when the family lists none; notes: how a figure of an\n"
    "           unsettled scale was read; source: the command behind each fact\n"
    "Grades: RSRP >= -80 / -90 / -100 dBm, RSRQ >= -10 / -15 / -20 dB, SINR >= 20 / 13 / 0 dB,\n"
    "RSSI >= -65 / -75 / -85 dBm, RSCP >= -75 / -85 / -95 dBm, Ec/No >= -6 / -10 / -15 dB for\n"
    "excellent / good / fair; below is poor.\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "Exit status: 0 read, 1 the modem stayed silent, went away or the read was stopped,\n"
    "2 bad arguments or the port cannot be opened, 3 the output could not be written.\n",
};

struct CellOptions {
    bool json = false;
    std::string port;   // UTF-8
};

// The body of `cell` apart from its arguments: PORT as typed (UTF-8), --json or not.
int RunCell(const std::string& portUtf8, bool json) {
    PortArgument port;
    if (!ReadPortArgument(portUtf8, &port)) return kExitUsage;
    PortSession session(port.devicePath.c_str());
    if (!session.IsOpen()) {
        Write1251(stderr, "vesmarin-cli cell: cannot open " + port.display + ": " + LastPortError() + "\n");
        return kExitUsage;
    }
    NoteUnlockedUse("cell", port.display);

    // Ctrl-C, SIGTERM, a closing session's SIGHUP and every other ending signal only raise a
    // flag that the reading checks between commands, so that what it changed is set back
    // before the process ends.
    CatchEveryEndingSignalAsStopRequest();
    RadioSession radio(session.Handle());
    RadioFacts facts;
    const CellReading reading = radio.ReadCell(&facts, StopCheck{[](void*) { return StopRequested(); }, nullptr});

    if (!reading.notRestored.empty()) {
        Write1251(stderr, "vesmarin-cli cell: could not set back what the reading changed on " + port.display +
                              " (" + reading.notRestored + ")\n");
    }
    switch (reading.outcome) {
        case CellOutcome::PortFailed:
            Write1251(stderr, "vesmarin-cli cell: the modem on " + port.display + " went away at " +
                                  reading.failedCommand + ": " + radio.ErrorText() + "\n");
            return kExitModemFailed;
        case CellOutcome::NoReply:
            Write1251(stderr, "vesmarin-cli cell: no reply from " + port.display + " to " + reading.failedCommand +
                                  " within 2000 ms\n");
            return kExitModemFailed;
        case CellOutcome::Stopped:
            Write1251(stderr, "vesmarin-cli cell: stopped before the reading was complete\n");
            return kExitModemFailed;
        case CellOutcome::Read:
            break;
    }
    if (json) {
        WriteUtf8(stdout, CellReportJson(port.display, facts));
    } else {
        WriteVisible1251(stdout, CellReportText(port.display, facts));
    }
    return kExitSuccess;
}

}  // namespace

void DeclareCell(CommandLine* line) {
    auto options = std::make_shared<CellOptions>();
    line->AddCommand("cell", kCellHelp, [options] { return RunCell(options->port, options->json); })
        .Flag("--json", &options->json, "print one JSON object instead (its keys below)")
        .Port(&options->port);
}
