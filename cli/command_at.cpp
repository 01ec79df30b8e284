#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/report/console_output.h"
#include "cli/port_argument.h"
#include "cli/report/visible_text.h"
#include "common/cp1251.h"
#include "link/port_error.h"
#include "link/transact.h"
#include "terminal/terminal_send.h"

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
    "A reply that fills the reply buffer (65535 bytes) is cut there, and stderr says so.\n"
    "Exit status: 0 reply shown, 1 no reply or the port failed (the modem went away),\n"
    "2 bad arguments or the port cannot be opened.\n";

// The terminal's transcript of one send, of which `at` prints only the reply: the fourth
// piece, after the echo's three.
struct ReplyPieces {
    std::vector<std::string> pieces;

    static void Append(const char* bytes, uint32_t length, void* context) {
        static_cast<ReplyPieces*>(context)->pieces.emplace_back(bytes, length);
    }
    std::string Reply() const {
        constexpr size_t kReplyPiece = 3;
        return pieces.size() > kReplyPiece ? pieces[kReplyPiece] : std::string();
    }
};

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

    ReplyPieces pieces;
    SendReport report;
    const SendOutcome outcome = SendTerminalCommandAtPath(port.devicePath.c_str(), command.c_str(),
                                                          &ReplyPieces::Append, &pieces, SendOptions(), &report);
    if (outcome == SendOutcome::OpenFailed) {
        Write1251(stderr, "vesmarin-cli at: cannot open " + port.display + ": " + LastPortError() + "\n");
        return 2;
    }
    NoteUnlockedUse("at", port.display);
    // Byte for byte, NULs included: the count says where the reply ends.
    const std::string reply = pieces.Reply();
    if (raw) {
        Write1251Raw(stdout, reply);
    } else {
        Write1251(stdout, reply);
    }
    std::fflush(stdout);
    if (report.replyBytes >= kReplyCapacity) WarnReplyCut(stderr, "at");
    if (report.portFailed) {
        // Whatever arrived before the device went away is still the modem's, and was shown.
        Write1251(stderr, "vesmarin-cli at: the port " + port.display + " failed: " + LastPortError() + "\n");
        return 1;
    }
    if (outcome != SendOutcome::Replied) {
        Write1251(stderr, "vesmarin-cli at: no reply from " + port.display + " within " +
                              std::to_string(kTerminalTimeLimitMs) + " ms\n");
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
