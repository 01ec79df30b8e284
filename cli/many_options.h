// The options of the commands over all modems (info --all, serve), each parsed by a small
// function of its own.
#pragma once

#include <string>
#include <vector>

#include "cli/command_arguments.h"
#include "host/modem_ports.h"

struct ManyOptions {
    PortChoice choice;
    int timeoutSeconds = 60;   // one modem's read, probe included
    bool json = false;
};

// "--ports A,B" and "--exclude A,B" (repeatable, or comma-separated): device paths or globs.
void AddPortList(const std::string& value, std::vector<std::string>* list);

// A whole number of seconds within [minimum, maximum]; false with a sentence otherwise.
bool ParseSeconds(const std::string& name, const std::string& text, int minimum, int maximum, int* seconds,
                  std::string* error);

// Takes --ports, --exclude and --timeout out of `args` into `options`; other arguments stay in
// `rest`. False with a sentence on a missing or bad value.
bool ParseManyOptions(const Arguments& args, ManyOptions* options, Arguments* rest, std::string* error);

// Prints "vesmarin-cli COMMAND: MESSAGE" and the help hint on stderr; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);
