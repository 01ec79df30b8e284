#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/grammar/port_checks.h"
#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/grammar/port_argument.h"
#include "cli/console/console_output.h"
#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "link/port_error.h"
#include "link/transact.h"
#include "terminal/terminal_send.h"

namespace {

constexpr CommandHelp kAtHelp = {
    "send one AT command and print the raw reply",
    "Sends one AT command the way the terminal tab does (open, configure, drain, write the\n"
    "command and a carriage return, collect the reply for at most 2000 ms, close) and prints\n"
    "the raw reply. On a terminal, control characters of the reply other than CR, LF and TAB\n"
    "are shown as \\x1b and the like; elsewhere the reply is written byte for byte.\n",
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "COMMAND is one line of at most 254 characters without control characters (a carriage\n"
    "return would end the command early and start another); an empty one sends a lone\n"
    "carriage return.\n"
    "A reply that fills the reply buffer (65535 bytes) is cut there, and stderr says so.\n"
    "Exit status: 0 reply shown, 1 no reply or the port failed (the modem went away),\n"
    "2 bad arguments or the port cannot be opened, 3 the output could not be written.\n",
};

struct AtOptions {
    bool raw = false;
    std::string port;      // UTF-8
    std::string command;   // UTF-8
};

// The command as the modem is sent it (1251); false with the sentence that refuses it.
bool ModemCommand(const std::string& utf8, std::string* command, std::string* error) {
    if (!Utf8ToCp1251(utf8, command)) {
        *error = "the command has characters a modem cannot be sent";
        return false;
    }
    if (command->size() > kMaxCommandLength || command->find('\0') != std::string::npos) {
        *error = "the command has " + std::to_string(command->size()) + " characters; at most " +
                 std::to_string(kMaxCommandLength) + " fit";
        return false;
    }
    const size_t control = FindControlByte(*command);
    if (control != std::string::npos) {
        *error = "the command has the control character " +
                 ByteNotation(static_cast<unsigned char>((*command)[control])) + " at position " +
                 std::to_string(control + 1) + "; it must be one line of printable characters";
        return false;
    }
    return true;
}

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

int RunAt(const AtOptions& options) {
    PortArgument port;
    if (!ReadPortArgument(options.port, &port)) return kExitUsage;
    std::string command;
    std::string error;
    if (!ModemCommand(options.command, &command, &error)) return kExitUsage;
    const bool raw = options.raw;

    ReplyPieces pieces;
    SendReport report;
    const SendOutcome outcome = SendTerminalCommandAtPath(port.devicePath.c_str(), command.c_str(),
                                                          &ReplyPieces::Append, &pieces, SendOptions(), &report);
    if (outcome == SendOutcome::OpenFailed) {
        Write1251(stderr, "vesmarin-cli at: cannot open " + port.display + ": " + LastPortError() + "\n");
        return kExitUsage;
    }
    NoteUnlockedUse("at", port.display);
    // Byte for byte, NULs included: the count says where the reply ends.
    const std::string reply = pieces.Reply();
    if (raw) {
        Write1251Raw(stdout, reply);
    } else {
        Write1251(stdout, reply);
    }
    FlushOutput();
    if (report.replyBytes >= kReplyCapacity) WarnReplyCut(stderr, "at");
    if (report.portFailed) {
        // Whatever arrived before the device went away is still the modem's, and was shown.
        Write1251(stderr, "vesmarin-cli at: the port " + port.display + " failed: " + LastPortError() + "\n");
        return kExitModemFailed;
    }
    if (outcome != SendOutcome::Replied) {
        Write1251(stderr, "vesmarin-cli at: no reply from " + port.display + " within " +
                              std::to_string(kTerminalTimeLimitMs) + " ms\n");
        return kExitModemFailed;
    }
    return kExitSuccess;
}

}  // namespace

void DeclareAt(CommandLine* line) {
    auto options = std::make_shared<AtOptions>();
    CommandOptions at = line->AddCommand("at", kAtHelp, [options] { return RunAt(*options); });
    at.Flag("--raw", &options->raw, "write the reply byte for byte on a terminal too");
    at.Port(&options->port);
    const auto check = [](const std::string& text) {
        std::string command;
        std::string error;
        return ModemCommand(text, &command, &error) ? std::string() : error;
    };
    at.Positional("COMMAND", &options->command, "the AT command", check);
}
