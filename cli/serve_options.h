// The options of `serve`, each read by a small function of its own.
#pragma once

#include <string>

#include "cli/exporter_rounds.h"
#include "cli/many_options.h"

namespace CLI {
class App;
}

// Unassigned among the well-known exporters' ports; 127.0.0.1 unless told otherwise.
constexpr int kDefaultExporterPort = 9733;

struct ServeOptions {
    ExporterSettings settings;
    std::string host = "127.0.0.1";
    int port = kDefaultExporterPort;   // 0: any free port, printed once bound
};

// "ADDRESS:PORT", "[IPv6]:PORT" or ":PORT" (127.0.0.1); PORT 0 to 65535.
bool ParseListenAddress(const std::string& text, std::string* host, int* port, std::string* error);

// What the grammar keeps of serve's options: the text as typed, checked as it is read.
struct ServeArguments {
    std::string listen;
    std::string interval;
    std::string rescan;
    std::string forgetAfter;
    ManyArguments many;
};

void DeclareServeOptions(CLI::App* serve, ServeArguments* arguments);
ServeOptions ServeOptionsFrom(const ServeArguments& arguments);
