#include <unistd.h>

#include <cstdlib>
#include <string>

#include "cli/console/console_output.h"

// POSIX terminals take UTF-8 and no line-end translation as they are.
void PrepareConsole() {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

// Terminals on POSIX systems understand the few sequences used, except the dumb one.
bool StartTerminalSequences(std::FILE* stream) {
    if (!IsTerminal(stream)) return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::string(term) != "dumb";
}

void EndTerminalSequences(std::FILE*) {}
