// vesmarin-cli: the modem link and the information run from a terminal, natively and on
// Windows, for real hardware and for the simulated modems of the tests.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/report/console_output.h"

namespace {

constexpr char kHelp[] =
    "usage: vesmarin-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  scan                 list the ports behind which a modem answers\n"
    "  at PORT COMMAND      send one AT command and print the raw reply\n"
    "  info [--json] PORT   read the modem's information table\n"
    "  info --all [--json]  read every modem at once\n"
    "  term PORT            type AT commands and read the raw replies, line by line\n"
    "  watch PORT           show the signal level live, reading it every second\n"
    "  watch --all          show every modem's signal live, one line each (Linux)\n"
    "  serve                a Prometheus exporter for every modem (Linux only)\n"
    "\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
#ifndef _WIN32
    "On Linux COMn means $VESMARIN_PORTS/comN when that variable names a directory, else\n"
    "COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.\n"
#endif
    "'vesmarin-cli COMMAND --help' describes one command; 'vesmarin-cli --version' prints\n"
    "the version.\n";

constexpr int kMaxArguments = 64;

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    std::string raw[kMaxArguments];
    int count = 0;
    if (!Utf8Arguments(argc, argv, raw, kMaxArguments, &count)) {
        std::fprintf(stderr, "vesmarin-cli: too many arguments\n");
        return 2;
    }
    if (count < 2 || raw[1] == "--help" || raw[1] == "-h") {
        std::fputs(kHelp, count < 2 ? stderr : stdout);
        return count < 2 ? 2 : 0;
    }
    if (raw[1] == "--version") {
        std::printf("vesmarin-cli %s\n", VESMARIN_VERSION);
        return 0;
    }
    const std::string command = raw[1];
    const Arguments args(raw + 2, raw + count);
    if (command == "scan") return RunScan(args);
    if (command == "at") return RunAt(args);
    if (command == "info") return RunInfo(args);
    if (command == "term") return RunTerm(args);
    if (command == "watch") return RunWatch(args);
    if (command == "read-modem") return RunReadModem(args);
    if (command == "serve") return RunServe(args);
    WriteUtf8Message(stderr, "vesmarin-cli: unknown command '" + command + "' (see --help)\n");
    return 2;
}
