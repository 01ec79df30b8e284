#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/port_argument.h"
#include "common/cp1251.h"
#include "link/serial_port.h"
#include "link/transact.h"

namespace {

constexpr char kAtHelp[] =
    "usage: vesmarin-cli at PORT COMMAND\n"
    "\n"
    "Sends one AT command the way the terminal tab does (open, configure, drain, write the\n"
    "command and a carriage return, collect the reply for at most 2000 ms, close) and prints\n"
    "the raw reply.\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "COMMAND has at most 254 characters; an empty one sends a lone carriage return.\n"
    "Exit status: 0 reply shown, 1 no reply or the port failed (the modem went away),\n"
    "2 bad arguments or the port cannot be opened.\n";

}  // namespace

int RunAt(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kAtHelp, stdout);
        return 0;
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "vesmarin-cli at: expects PORT and COMMAND (see --help)\n");
        return 2;
    }
    PortArgument port;
    if (!ReadPortArgument(args[0], &port)) return 2;

    std::string command;
    if (!Utf8ToCp1251(args[1], &command)) {
        std::fprintf(stderr, "vesmarin-cli at: the command has characters a modem cannot be sent\n");
        return 2;
    }
    if (command.size() > kMaxCommandLength || command.find('\0') != std::string::npos) {
        std::fprintf(stderr, "vesmarin-cli at: the command has %zu characters; at most %u fit\n",
                     command.size(), static_cast<unsigned>(kMaxCommandLength));
        return 2;
    }

    PortHandle handle = OpenPort(port.devicePath.c_str());
    if (handle == nullptr) {
        char reason[512];
        PortErrorText(reason, sizeof reason);
        Write1251(stderr, "vesmarin-cli at: cannot open " + port.display + ": " + reason + "\n");
        return 2;
    }
    ConfigurePort(handle);
    DrainPort(handle);
    const uint32_t count = Transact(handle, command.c_str(), true, kTerminalTimeLimitMs);
    const bool failed = PortFailed(handle);
    ClosePort(handle);

    if (failed) {
        // Whatever arrived before the device went away is still the modem's.
        Write1251(stdout, std::string(ReplyBuffer, strnlen(ReplyBuffer, count)));
        std::fflush(stdout);
        char reason[512];
        PortErrorText(reason, sizeof reason);
        Write1251(stderr, "vesmarin-cli at: the port " + port.display + " failed: " + reason + "\n");
        return 1;
    }
    if (count == 0) {
        Write1251(stderr, "vesmarin-cli at: no reply from " + port.display + " within " +
                              std::to_string(kTerminalTimeLimitMs) + " ms\n");
        return 1;
    }
    // NUL bytes end the reply for every user of the buffer, so they end it here too.
    Write1251(stdout, std::string(ReplyBuffer, strnlen(ReplyBuffer, count)));
    std::fflush(stdout);
    return 0;
}
