#include "cli/command_arguments.h"

#include <cstdio>

#include "cli/port_argument.h"
#include "cli/report/console_output.h"
#include "common/cp1251.h"

bool PortFromArgument(const std::string& utf8, PortArgument* port, std::string* error) {
    std::string text;
    if (!Utf8ToCp1251(utf8, &text)) {
        *error = "'" + utf8 + "' is not a port name the program can use";
        return false;
    }
    std::string error1251;
    if (!ParsePortArgument(text, port, &error1251)) {
        *error = Cp1251ToUtf8(error1251);
        return false;
    }
    return true;
}

bool ReadPortArgument(const std::string& utf8, PortArgument* port) {
    std::string error;
    if (PortFromArgument(utf8, port, &error)) return true;
    WriteUtf8Message(stderr, "vesmarin-cli: " + error + "\n");
    return false;
}
