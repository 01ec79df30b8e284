#include <cstdio>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "link/discovery.h"

namespace {

constexpr char kScanHelp[] =
    "usage: vesmarin-cli scan\n"
    "\n"
    "Tries COM1 to COM254, asks each port that opens for its model (ATE0, then AT+CGMM,\n"
    "1000 ms each) and prints one port entry per modem, in port order, as the port list\n"
    "shows them: \"E173 (COM5)\". A port that opens but stays silent costs about 2 s.\n"
    "Exit status: 0 when a modem answered, 1 when none did.\n";

void ShowProgress(int portNumber, int modemsFound, void*) {
    if (portNumber == kLastPortNumber) {
        ShowStatusLine(stderr, "");
        return;
    }
    ShowStatusLine(stderr, "scanning COM" + std::to_string(portNumber) + " of " +
                               std::to_string(kLastPortNumber) + ", modems found: " +
                               std::to_string(modemsFound));
}

}  // namespace

int RunScan(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kScanHelp, stdout);
        return 0;
    }
    if (!args.empty()) {
        std::fprintf(stderr, "vesmarin-cli scan: takes no arguments (see --help)\n");
        return 2;
    }
    SetProbeProgress(IsTerminal(stderr) ? &ShowProgress : nullptr, nullptr);
    ProbePorts();
    SetProbeProgress(nullptr, nullptr);

    if (ModemList.count == 0) {
        std::fprintf(stderr, "No modem answered on COM1 to COM%d.\n", kLastPortNumber);
        return 1;
    }
    char entry[kPortEntrySize];
    for (int i = 0; i < ModemList.count; ++i) {
        FormatPortEntry(i, entry, sizeof entry);
        Write1251(stdout, entry);
        std::fputc('\n', stdout);
    }
    return 0;
}
