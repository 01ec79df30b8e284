#include "cli/grammar/port_argument.h"

bool ParseDevicePath(const std::string& text, PortArgument* out, std::string* error) {
    if (!text.empty() && text[0] == '/' && text.find('\0') == std::string::npos) {
        out->devicePath = text;
        out->display = text;
        return true;
    }
    *error = "'" + text + "' is not a port: give COM1 to COM254, a port entry such as "
             "\"E173 (COM5)\", or a device path such as /dev/ttyUSB0";
    return false;
}

const char* PortArgumentHelp() {
    return "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
           "On Linux COMn means $VESMARIN_PORTS/comN when that variable names a directory, else\n"
           "COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.\n";
}
