#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"

namespace {

// The commands in the order the overview lists them. A new command is a file with its
// Declare function, declared in cli/commands.h, and one line here.
void (*const kCommands[])(CommandLine*) = {
    DeclareScan,
    DeclareAt,
    DeclareInfo,
    DeclareTerm,
    DeclareWatch,
    DeclareCell,
    DeclareServe,
    DeclareReadModem,
};

}  // namespace

void DeclareCommands(CommandLine* line) {
    for (const auto declare : kCommands) declare(line);
}
