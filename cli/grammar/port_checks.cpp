#include "cli/grammar/port_checks.h"

#include <cstdio>

#include "cli/grammar/port_argument.h"
#include "cli/console/console_output.h"
#include "cli/console/visible_text.h"
#include "common/cp1251.h"

bool PortFromArgument(const std::string& utf8, PortArgument* port, std::string* error) {
    std::string text;
    // A device path is the system's, not the program's text: whatever its characters, it is
    // opened as given and only shown in 1251.
    const bool in1251 = Utf8ToCp1251(utf8, &text);
    if (!in1251) text = Utf8ToCp1251Shown(utf8);
    std::string error1251;
    if (!ParsePortArgument(text, port, &error1251)) {
        *error = Cp1251ToUtf8(error1251);
        return false;
    }
    const bool devicePath = port->entry.empty() && port->devicePath == text;
    if (!in1251 && !devicePath) {
        *error = "'" + utf8 + "' is not a port name the program can use";
        return false;
    }
    if (devicePath) port->devicePath = utf8;
    port->display = VisibleField1251(port->display);
    return true;
}

bool ReadPortArgument(const std::string& utf8, PortArgument* port) {
    std::string error;
    if (PortFromArgument(utf8, port, &error)) return true;
    WriteUtf8Message(stderr, "vesmarin-cli: " + error + "\n");
    return false;
}
