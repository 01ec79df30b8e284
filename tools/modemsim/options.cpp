#include "tools/modemsim/options.h"

#include <CLI/CLI.hpp>

#include <cstring>

const char kUsageText[] =
    "Usage: modemsim --ports DIR [--log DIR] N=PROFILE [N=PROFILE...] [-- COMMAND [ARG...]]\n"
    "\n"
    "Plays one simulated modem per N=PROFILE on a pseudo-terminal reached as DIR/comN\n"
    "(N a decimal number from 1 to 255). DIR may be a Wine prefix's dosdevices folder, which\n"
    "makes the modem COMN for Windows programs in that prefix. An existing symbolic link of\n"
    "that name is replaced; any other file of that name is an error.\n"
    "\n"
    "  --ports DIR   existing directory for the comN links\n"
    "  --log DIR     existing directory for transcripts: DIR/comN.log records every byte\n"
    "                received (rx) and sent (tx), with milliseconds since start\n"
    "  -h, --help    this text\n"
    "\n"
    "Without COMMAND: prints \"ready\" on standard output once every port is up, then runs\n"
    "until SIGINT, SIGTERM or SIGHUP, removes the links it made and exits with 0.\n"
    "With -- COMMAND: runs COMMAND once every port is up (nothing on standard output), then\n"
    "stops the modems and exits with COMMAND's status (128+N when signal N ended it; 127 when\n"
    "it could not be started). A stop signal sent to modemsim alone is passed on to COMMAND.\n"
    "Bad arguments: a message and exit code 2; a bad profile: a message naming the file and\n"
    "line, exit code 2; nothing is created then.\n"
    "Under Wine, stop the Wine server (wineserver -k or -w) before the modems stop.\n"
    "The profile format is described in tools/modemsim/README.md.\n";

namespace {

// "N=PROFILE" with N a plain decimal from 1 to 255.
bool ParsePortAssignment(const std::string& argument, PortAssignment* assignment, std::string* error) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0) {
        *error = "expected N=PROFILE, got '" + argument + "'";
        return false;
    }
    int number = 0;
    for (size_t i = 0; i < equals; ++i) {
        const char c = argument[i];
        if (c < '0' || c > '9') {
            *error = "port number in '" + argument + "' is not a decimal number";
            return false;
        }
        if (number <= 255) number = number * 10 + (c - '0');
    }
    if (number < 1 || number > 255) {
        *error = "port number in '" + argument + "' is outside 1 to 255";
        return false;
    }
    assignment->number = number;
    assignment->profilePath = argument.substr(equals + 1);
    if (assignment->profilePath.empty()) {
        *error = "no profile given in '" + argument + "'";
        return false;
    }
    return true;
}

// CLI11's messages name options with their dashes already; only the first line is kept.
std::string OneLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    *options = Options();
    // What follows the first "--" is the command, never options of the simulator: CLI11 would
    // take it as more N=PROFILE arguments.
    int own = 1;
    while (own < argc && std::strcmp(argv[own], "--") != 0) ++own;
    if (own < argc) {
        for (int i = own + 1; i < argc; ++i) options->command.emplace_back(argv[i]);
        if (options->command.empty()) {
            *error = "-- must be followed by a COMMAND";
            return false;
        }
    }
    std::vector<std::string> assignments;
    try {
        CLI::App app("modemsim", "modemsim");
        app.set_help_flag();  // the usage text is our own
        app.add_flag("-h,--help", options->help);
        app.add_option("--ports", options->portsDirectory)->type_name("DIR");
        app.add_option("--log", options->logDirectory)->type_name("DIR");
        app.add_option("assignments", assignments);
        app.parse(own, argv);
    } catch (const CLI::ParseError& failure) {
        *error = OneLine(failure.what());
        return false;
    } catch (const std::exception& failure) {
        *error = OneLine(failure.what());
        return false;
    }
    if (options->help) return true;
    bool portsUsed[256] = {};
    for (const std::string& argument : assignments) {
        PortAssignment assignment;
        if (!ParsePortAssignment(argument, &assignment, error)) return false;
        if (portsUsed[assignment.number]) {
            *error = "port " + std::to_string(assignment.number) + " is given twice";
            return false;
        }
        portsUsed[assignment.number] = true;
        options->ports.push_back(assignment);
    }
    if (options->portsDirectory.empty()) {
        *error = "--ports DIR is required";
        return false;
    }
    if (options->ports.empty()) {
        *error = "no N=PROFILE given";
        return false;
    }
    return true;
}
