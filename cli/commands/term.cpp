#include <cstdio>
#include <string>

#include "cli/grammar/port_checks.h"
#include "cli/grammar/command_line.h"
#include "cli/commands/command_text.h"
#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "cli/console/line_input.h"
#include "cli/grammar/port_argument.h"
#include "cli/console/console_output.h"
#include "common/cp1251.h"
#include "link/port_error.h"
#include "link/serial_port.h"
#include "link/transact.h"
#include "terminal/terminal_send.h"

namespace {

constexpr CommandHelp kTermHelp = {
    "type AT commands and read the raw replies, line by line",
    "An interactive line terminal: each line you type is sent as one AT command the way the\n"
    "terminal tab sends it (open, configure, drain, write the command and a carriage return,\n"
    "collect the reply for at most 2000 ms, close), and the raw reply is printed as it came.\n",
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "At a terminal, the arrow keys move in the line and recall earlier lines. 'exit' or\n"
    "Ctrl-D on an empty line ends (on Windows Ctrl-Z or Ctrl-D, then Enter).\n"
    "With input from a pipe or file, each line is sent in turn and the output reads like the\n"
    "terminal tab: \"cmd> \" and the command, the raw reply, an empty line.\n"
    "A line with control characters (a tab, a carriage return inside it), with characters a\n"
    "modem cannot be sent or with more than 254 characters is not sent.\n"
    "Before each command, what the modem still sends of an earlier reply is dropped (for at\n"
    "most 2000 ms, else the command is not sent), so each reply shown is its command's. A\n"
    "reply that fills the reply buffer (65535 bytes) is cut there, and stderr says so.\n"
    "A port that fails (the modem went away) ends the terminal.\n"
    "Exit status: 0 every line sent got a reply, 1 some line got no reply (the modem stayed\n"
    "silent, the port could no longer be opened or failed) or was not sent, 2 bad arguments\n"
    "or the port cannot be opened at the start, 3 the output could not be written (the\n"
    "terminal then ends).\n",
};

struct TermOptions {
    std::string port;   // UTF-8
};

constexpr const char* kExitWord = "exit";

// Prints the transcript pieces of one send. At a terminal the prompt line is on the screen
// already (the user typed it), so the three pieces of the echo are left out there.
struct ConsoleTranscript {
    bool echoOnScreen = false;
    int pieces = 0;

    static void Append(const char* bytes, uint32_t length, void* context) {
        auto* self = static_cast<ConsoleTranscript*>(context);
        constexpr int kEchoPieces = 3;   // "cmd> ", the command, "\n"
        if (self->echoOnScreen && self->pieces++ < kEchoPieces) return;
        // The whole piece, NUL bytes included: the count says where a reply ends.
        Write1251(stdout, std::string(bytes, length));
    }
};

bool IsExit(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const size_t last = line.find_last_not_of(" \t");
    return line.compare(first, last - first + 1, kExitWord) == 0;
}

std::string OpenFailure(const PortArgument& port) {
    return "cannot open " + port.display + ": " + LastPortError();
}

int RunTerm(const TermOptions& arguments) {
    PortArgument port;
    if (!ReadPortArgument(arguments.port, &port)) return kExitUsage;

    // Each command opens the port anew; trying once now turns a wrong port into one clear
    // message instead of a failure after every line.
    PortHandle probe = OpenPort(port.devicePath.c_str());
    if (probe == nullptr) {
        Write1251(stderr, "vesmarin-cli term: " + OpenFailure(port) + "\n");
        return kExitUsage;
    }
    ClosePort(probe);
    NoteUnlockedUse("term", port.display);

    LineInput* input = OpenLineInput(kMaxCommandLength);
    const bool interactive = IsInteractive(input);
    if (interactive) {
        Write1251(stderr, "Commands go to " + port.display +
                              ", one per line; 'exit' or Ctrl-D ends.\n");
    }

    bool everyLineAnswered = true;
    std::string line;
    while (OutputGoesOn() && ReadInputLine(input, kTerminalPrompt, &line)) {
        if (IsExit(line)) break;
        std::string command;
        std::string error;
        if (!CommandFromLine(line, &command, &error)) {
            FlushOutput();
            std::fprintf(stderr, "vesmarin-cli term: %s\n", error.c_str());
            everyLineAnswered = false;
            continue;
        }
        RememberInputLine(input, line);

        ConsoleTranscript transcript;
        transcript.echoOnScreen = interactive;
        SendOptions options;
        // The port is opened anew for each line, but a modem still sending an earlier reply
        // (one cut at the buffer's end) goes on sending into it.
        options.dropEarlierInputMs = kTerminalTimeLimitMs;
        SendReport report;
        const SendOutcome outcome = SendTerminalCommandAtPath(port.devicePath.c_str(), command.c_str(),
                                                              &ConsoleTranscript::Append, &transcript,
                                                              options, &report);
        FlushOutput();
        if (report.replyBytes >= kReplyCapacity) WarnReplyCut(stderr, "term");
        if (outcome != SendOutcome::Replied) everyLineAnswered = false;
        if (report.portFailed) {
            Write1251(stderr, "vesmarin-cli term: the port " + port.display + " failed: " + LastPortError() + "\n");
            break;
        }
        if (outcome == SendOutcome::OpenFailed) {
            Write1251(stderr, "vesmarin-cli term: " + OpenFailure(port) + "\n");
        } else if (outcome == SendOutcome::StillSending) {
            Write1251(stderr, "vesmarin-cli term: " + port.display + " is still sending after " +
                                  std::to_string(kTerminalTimeLimitMs) + " ms (" +
                                  std::to_string(report.droppedBytes) +
                                  " bytes of an earlier reply dropped); the command was not sent\n");
        } else if (outcome == SendOutcome::Silent) {
            Write1251(stderr, "vesmarin-cli term: no reply from " + port.display + " within " +
                                  std::to_string(kTerminalTimeLimitMs) + " ms\n");
        }
    }
    CloseLineInput(input);
    return everyLineAnswered ? kExitSuccess : kExitModemFailed;
}

}  // namespace

void DeclareTerm(CommandLine* line) {
    auto options = std::make_shared<TermOptions>();
    line->AddCommand("term", kTermHelp, [options] { return RunTerm(*options); }).Port(&options->port);
}
