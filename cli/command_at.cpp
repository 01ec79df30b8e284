#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/port_argument.h"
#include "cli/visible_text.h"
#include "common/cp1251.h"
#include "link/serial_port.h"
#include "link/transact.h"

namespace {

constexpr char kAtHelp[] =
    "usage: vesmarin-cli at [--raw] PORT COMMAND\n"
    "\n"
    "Sends one AT command the way the terminal tab does (open, configure, drain, write the\n"
    "command and a carriage return, collect the reply for at most 2000 ms, close) and prints\n"
    "the raw reply. On a terminal, control characters of the reply other than CR, LF and TAB\n"
    "are shown as \\x1b and the like; elsewhere the reply is written byte for byte.\n"
    "  --raw    write the reply byte for byte on a terminal too\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "COMMAND is one line of at most 254 characters without control characters (a carriage\n"
    "return would end the command early and start another); an empty one sends a lone\n"
    "carriage return.\n"
    "Exit status: 0 reply shown, 1 no reply, 2 bad arguments or the port cannot be opened.\n";

}  // namespace

int RunAt(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kAtHelp, stdout);
        return 0;
    }
    bool raw = false;
    Arguments rest;
    for (const auto& arg : args) {
        if (arg == "--raw" && !raw) {
            raw = true;
        } else {
            rest.push_back(arg);
        }
    }
    if (rest.size() != 2) {
        std::fprintf(stderr, "vesmarin-cli at: expects PORT and COMMAND (see --help)\n");
        return 2;
    }
    PortArgument port;
    if (!ReadPortArgument(rest[0], &port)) return 2;

    std::string command;
    if (!Utf8ToCp1251(rest[1], &command)) {
        std::fprintf(stderr, "vesmarin-cli at: the command has characters a modem cannot be sent\n");
        return 2;
    }
    if (command.size() > kMaxCommandLength || command.find('\0') != std::string::npos) {
        std::fprintf(stderr, "vesmarin-cli at: the command has %zu characters; at most %u fit\n",
                     command.size(), static_cast<unsigned>(kMaxCommandLength));
        return 2;
    }

    const size_t control = FindControlByte(command);
    if (control != std::string::npos) {
        std::fprintf(stderr,
                     "vesmarin-cli at: the command has the control character %s at position %zu; "
                     "it must be one line of printable characters\n",
                     ByteNotation(static_cast<unsigned char>(command[control])).c_str(), control + 1);
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
    ClosePort(handle);

    if (count == 0) {
        Write1251(stderr, "vesmarin-cli at: no reply from " + port.display + " within " +
                              std::to_string(kTerminalTimeLimitMs) + " ms\n");
        return 1;
    }
    // NUL bytes end the reply for every user of the buffer, so they end it here too.
    const std::string reply(ReplyBuffer, strnlen(ReplyBuffer, count));
    if (raw) {
        Write1251Raw(stdout, reply);
    } else {
        Write1251(stdout, reply);
    }
    std::fflush(stdout);
    return 0;
}
