// vesmarin-cli: the modem link and the information run from a terminal, natively and on
// Windows, for real hardware and for the simulated modems of the tests.
#include <cstdio>
#include <string>

#include "cli/grammar/command_line.h"
#include "cli/console/exit_codes.h"
#include "cli/console/process_start.h"
#include "cli/console/console_output.h"

namespace {

// Whatever a command returned, output that did not arrive is the status scripts must see. A
// reader that went away early (`| head -1`) is no failure of ours and passes quietly.
int Finish(const std::string& command, int status) {
    if (FlushOutput() || StdoutState() == OutputState::ReaderGone) return status;
    const std::string who = command.empty() ? kProgramName : std::string(kProgramName) + " " + command;
    WriteUtf8Message(stderr, who + ": the output could not be written: " + OutputFailure() + "\n");
    return kExitOutputNotWritten;
}

}  // namespace

int main(int argc, char** argv) {
    const bool stdoutClosed = PrepareProcess();
    PrepareConsole();
    CommandLine line;
    DeclareCommands(&line);
    const ParsedCommandLine parsed = line.Parse(Utf8Arguments(argc, argv));
    if (parsed.kind == ParsedCommandLine::Kind::Misuse) {
        WriteUtf8Message(stderr, parsed.text);
        return kExitUsage;
    }
    // Nothing is opened for output no one can read: the command would only act unseen.
    if (stdoutClosed) {
        NoteStdoutClosed();
        return Finish(parsed.command, kExitOutputNotWritten);
    }
    switch (parsed.kind) {
    case ParsedCommandLine::Kind::ShowHelp:
        WriteUtf8(stdout, parsed.text);
        return Finish(parsed.command, kExitSuccess);
    case ParsedCommandLine::Kind::ShowVersion:
        WriteUtf8(stdout, std::string(kProgramName) + " " + VESMARIN_VERSION + "\n");
        return Finish("", kExitSuccess);
    default:
        return Finish(parsed.command, parsed.run());
    }
}
