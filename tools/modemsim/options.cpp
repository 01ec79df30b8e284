#include "tools/modemsim/options.h"

#include <cstring>

const char kUsageText[] =
    "Usage: modemsim --ports DIR [--log DIR] N=PROFILE [N=PROFILE...]\n"
    "\n"
    "Plays one simulated modem per N=PROFILE on a pseudo-terminal reached as DIR/comN\n"
    "(N from 1 to 255). DIR may be a Wine prefix's dosdevices folder, which makes the\n"
    "modem COMN for Windows programs in that prefix. An existing symbolic link of that\n"
    "name is replaced; any other file of that name is an error.\n"
    "\n"
    "  --ports DIR   existing directory for the comN links\n"
    "  --log DIR     existing directory for transcripts: DIR/comN.log records every byte\n"
    "                received (rx) and sent (tx), with milliseconds since start\n"
    "  --help        this text\n"
    "\n"
    "Prints \"ready\" on standard output once every port is up, then runs until SIGINT,\n"
    "SIGTERM or SIGHUP, removes the links it made and exits with 0. Bad arguments or a\n"
    "bad profile: a message naming the file and line, exit code 2, nothing created.\n"
    "Under Wine, stop the Wine server (wineserver -k or -w) before stopping modemsim.\n"
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

// Takes the value of "--name VALUE" or "--name=VALUE"; `index` moves past what was used.
bool TakeValue(const char* name, int argc, const char* const* argv, int* index, std::string* value,
               std::string* error) {
    const char* argument = argv[*index];
    const size_t length = std::strlen(name);
    if (argument[length] == '=') {
        *value = argument + length + 1;
    } else if (*index + 1 < argc) {
        *value = argv[++*index];
    } else {
        *error = std::string(name) + " needs a directory";
        return false;
    }
    if (value->empty()) {
        *error = std::string(name) + " needs a directory";
        return false;
    }
    return true;
}

bool IsOption(const char* argument, const char* name) {
    const size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 &&
           (argument[length] == '\0' || argument[length] == '=');
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    *options = Options();
    bool portsUsed[256] = {};
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options->help = true;
            return true;
        }
        if (IsOption(argument, "--ports")) {
            if (!TakeValue("--ports", argc, argv, &i, &options->portsDirectory, error)) return false;
        } else if (IsOption(argument, "--log")) {
            if (!TakeValue("--log", argc, argv, &i, &options->logDirectory, error)) return false;
        } else if (argument[0] == '-') {
            *error = std::string("unknown option ") + argument;
            return false;
        } else {
            PortAssignment assignment;
            if (!ParsePortAssignment(argument, &assignment, error)) return false;
            if (portsUsed[assignment.number]) {
                *error = "port " + std::to_string(assignment.number) + " is given twice";
                return false;
            }
            portsUsed[assignment.number] = true;
            options->ports.push_back(assignment);
        }
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
