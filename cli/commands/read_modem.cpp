// The reading process behind `info --all` and `serve`: one modem, given as its ports in
// interface order, read in a process of its own and answered as one JSON object on stdout.
// Not meant to be typed; the commands that start it read its output.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/console/console_output.h"
#include "cli/console/exit_codes.h"
#include "cli/grammar/command_line.h"
#include "fleet/child_processes.h"
#include "fleet/reading_child.h"
#include "fleet/reading_protocol.h"

static_assert(kReadingFailedExit == kExitModemFailed, "the parent reads the reading process's status");

namespace {

// read-modem info PORT...: probe the ports in order, run the information run on the first
// that answers. read-modem signal PORT [--radio-family NAME]: one signal reading on that port.
int RunReadModem(const std::vector<std::string>& args, const std::string& family) {
    // A parent that is gone reads no answer: the port and its lock are freed at once.
    FollowParentProcess();
    const std::vector<std::string> ports(args.begin() + 1, args.end());
    bool failed = false;
    std::string line;
    if (args[0] == "signal") {
        const SignalMessage message = ReadSignalMessageAt(ports[0], RadioFamilyFromText(family));
        failed = !message.error.empty();
        line = SignalMessageLine(message);
    } else {
        const InfoMessage message = ReadModemInfoMessage(ports);
        failed = !message.error.empty();
        line = InfoMessageLine(message);
    }
    WriteUtf8(stdout, line);
    std::fflush(stdout);
    return failed ? kExitModemFailed : kExitSuccess;
}

}  // namespace

// Internal: the parent (info --all, watch --all, serve) starts it and reads its one line of
// JSON; no summary, so the overview leaves it out.
void DeclareReadModem(CommandLine* line) {
    auto args = std::make_shared<std::vector<std::string>>();
    auto family = std::make_shared<std::string>();
    line->AddCommand("read-modem", CommandHelp{"", "", ""}, [args, family] { return RunReadModem(*args, *family); })
        .Positionals("WHAT", args.get(), "info PORT... or signal PORT")
        .Value("--radio-family", "NAME", "signal: the radio_family an earlier reading of the modem gave",
               [family](const std::string& text) {
                   *family = text;
                   return std::string();
               })
        // Misuse is said like any other command's, though only the tool itself starts this one.
        .Check([args, family]() -> std::string {
            if ((*args)[0] != "info" && (*args)[0] != "signal") {
                return "WHAT is 'info PORT...' or 'signal PORT', not '" + (*args)[0] + "'";
            }
            if (args->size() < 2) return (*args)[0] + " needs a PORT";
            if ((*args)[0] == "signal" && args->size() > 2) return "signal takes one PORT, not " + std::to_string(args->size() - 1);
            if ((*args)[0] == "info" && !family->empty()) return "--radio-family goes with signal";
            return "";
        });
}
