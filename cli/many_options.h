// The options of the commands over all modems (info --all, serve), each parsed by a small
// function of its own.
#pragma once

#include <string>
#include <vector>

#include "host/modem_ports.h"

namespace CLI {
class App;
}

struct ManyOptions {
    PortChoice choice;
    int timeoutSeconds = 60;   // one modem's read, probe included
    bool json = false;
};

// "--ports A,B" and "--exclude A,B" (comma-separated): device paths or globs.
void AddPortList(const std::string& value, std::vector<std::string>* list);

// A whole number of seconds within [minimum, maximum]; false with a sentence otherwise.
bool ParseSeconds(const std::string& name, const std::string& text, int minimum, int maximum, int* seconds,
                  std::string* error);

// What the grammar keeps of --ports, --exclude and --timeout: the text as typed, checked by
// validators as it is read.
struct ManyArguments {
    std::string ports;
    std::string exclude;
    std::string timeout;
    // True when any of the three was given (they go only with the commands over all modems).
    bool Given() const { return !ports.empty() || !exclude.empty() || !timeout.empty(); }
};

// Declares --ports, --exclude and --timeout on `command`.
void DeclareManyOptions(CLI::App* command, ManyArguments* arguments);

// The options the arguments stand for (already checked by the grammar).
ManyOptions ManyOptionsFrom(const ManyArguments& arguments);

// Prints "vesmarin-cli COMMAND: MESSAGE" and the help hint on stderr; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);
