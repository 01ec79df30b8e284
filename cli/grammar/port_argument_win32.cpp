#include "cli/grammar/port_argument.h"

// Windows reaches serial ports by their COM names only.
bool ParseDevicePath(const std::string& text, PortArgument*, std::string* error) {
    *error = "'" + text + "' is not a port: give COM1 to COM254 or a port entry such as "
             "\"E173 (COM5)\"";
    return false;
}

const char* PortArgumentHelp() {
    return "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n";
}
