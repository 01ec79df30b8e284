// The options of `serve`, each read by a small function of its own.
#pragma once

#include <string>

#include "fleet/rounds.h"
#include "cli/commands/many_options.h"

class CommandOptions;

// Unassigned among the well-known exporters' ports; 127.0.0.1 unless told otherwise.
constexpr int kDefaultExporterPort = 9733;

struct ServeOptions {
    ExporterSettings settings;
    ManyOptions many;   // --ports, --exclude, --timeout; copied into settings before the run
    std::string host = "127.0.0.1";
    int port = kDefaultExporterPort;   // 0: any free port, printed once bound
};

// "ADDRESS:PORT", "[IPv6]:PORT" or ":PORT" (127.0.0.1); PORT 0 to 65535.
bool ParseListenAddress(const std::string& text, std::string* host, int* port, std::string* error);

// Declares serve's options on `serve`, read into `options` (the port choice and the
// information run's deadline into options->settings too, once the line has parsed).
void DeclareServeOptions(CommandOptions& serve, ServeOptions* options);
