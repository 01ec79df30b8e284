#include "link/port_error.h"

#include "link/serial_port.h"

std::string LastPortError() {
    char text[512] = {};
    PortErrorText(text, sizeof text);
    return text;
}
