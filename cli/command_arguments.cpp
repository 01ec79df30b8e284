#include "cli/command_arguments.h"

#include <cstdio>

#include "cli/report/console_output.h"
#include "cli/port_argument.h"
#include "common/cp1251.h"

bool WantsHelp(const Arguments& args) {
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

bool ReadPortArgument(const std::string& utf8, PortArgument* port) {
    std::string text;
    std::string error;
    if (!Utf8ToCp1251(utf8, &text)) {
        WriteUtf8Message(stderr, "vesmarin-cli: '" + utf8 + "' is not a port name the program can use\n");
        return false;
    }
    if (!ParsePortArgument(text, port, &error)) {
        Write1251(stderr, "vesmarin-cli: " + error + "\n");
        return false;
    }
    return true;
}
