#include "cli/command_arguments.h"

#include <cstdio>

#include "cli/console_output.h"
#include "cli/port_argument.h"
#include "cli/visible_text.h"
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
    // A device path is the system's, not the program's text: whatever its characters, it is
    // opened as given and only shown in 1251.
    const bool in1251 = Utf8ToCp1251(utf8, &text);
    if (!in1251) text = Utf8ToCp1251Shown(utf8);
    if (!ParsePortArgument(text, port, &error)) {
        Write1251(stderr, "vesmarin-cli: " + error + "\n");
        return false;
    }
    const bool devicePath = port->entry.empty() && port->devicePath == text;
    if (!in1251 && !devicePath) {
        WriteUtf8Message(stderr, "vesmarin-cli: '" + utf8 + "' is not a port name the program can use\n");
        return false;
    }
    if (devicePath) port->devicePath = utf8;
    port->display = VisibleField1251(port->display);
    return true;
}
