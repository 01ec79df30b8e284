// The options of the commands over all modems (info --all, watch --all, serve).
#pragma once

#include <string>
#include <vector>

#include "host/modem_ports.h"

class CommandOptions;

// One modem's information run, probe included, when --timeout does not say otherwise.
constexpr int kDefaultReadTimeoutSeconds = 60;

struct ManyOptions {
    PortChoice choice;
    int timeoutSeconds = kDefaultReadTimeoutSeconds;
    bool json = false;
    bool given = false;   // --ports, --exclude or --timeout was given (they go with --all only)
};

// "--ports A,B" and "--exclude A,B" (comma-separated): device paths or globs.
void AddPortList(const std::string& value, std::vector<std::string>* list);

// Declares --ports, --exclude and --timeout on `command`, read into `options`.
void DeclareManyOptions(CommandOptions& command, ManyOptions* options);

// Prints "vesmarin-cli COMMAND: MESSAGE" and the help hint on stderr; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);
